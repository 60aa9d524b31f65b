#!/usr/bin/env bash
# Converts the patterns of data/hyphen.tex into a pattern file for the C
# hyphenation library that office suites use, holding exactly what the
# engine applies: the patterns whose letters (dots included, digits not)
# number at most 6, with at least 2 characters before a break and 3 after.
# The engine's one exception entry is not a pattern and is left out.
# Usage: tex_to_dic.sh data/hyphen.tex > hyph_en_corvane.dic
set -euo pipefail
tex=${1:?usage: tex_to_dic.sh hyphen.tex}
printf 'ISO8859-1\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 3\n'
awk '
  /\\patterns\{/ { inside = 1; next }
  inside && /^\}/ { exit }
  inside {
    sub(/%.*/, "")
    for (i = 1; i <= NF; i++) {
      letters = $i
      gsub(/[0-9]/, "", letters)
      if (length(letters) <= 6) print $i
    }
  }' "$tex"
