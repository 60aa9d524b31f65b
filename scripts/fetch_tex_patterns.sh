#!/usr/bin/env bash
# Unpacks TeX's hyphenation patterns (text form) and their minimums from
# Debian's texlive-lang-* packages into a folder, without installing TeX:
#   scripts/fetch_tex_patterns.sh DIR [PACKAGE...]
# (default: the German, French, Italian, Spanish, European, Polish, Cyrillic
# and Portuguese sets). Then point the tool and the tests at them:
#   export CORVANE_PATTERNS_PATH=DIR/usr/share/texlive/texmf-dist/tex/generic/hyph-utf8/patterns/txt
# The minimums are read from DIR/var/lib/tex-common/hyphen-cnf/texlive.
set -euo pipefail
dir=${1:?usage: fetch_tex_patterns.sh DIR [PACKAGE...]}
shift
packages=("$@")
((${#packages[@]})) || packages=(texlive-lang-german texlive-lang-french texlive-lang-italian texlive-lang-spanish
                                 texlive-lang-european texlive-lang-polish texlive-lang-cyrillic texlive-lang-portuguese)
mkdir -p "$dir/debs"
dir=$(cd "$dir" && pwd)
(cd "$dir/debs" && apt-get download "${packages[@]}" >&2)
for deb in "$dir"/debs/*.deb; do
  dpkg-deb --fsys-tarfile "$deb" |
    tar -x -C "$dir" --wildcards \
      './usr/share/texlive/texmf-dist/tex/generic/hyph-utf8/patterns/txt/*' \
      './var/lib/tex-common/hyphen-cnf/texlive/*' 2>/dev/null || true
done
rm -rf "$dir/debs"
echo "$dir/usr/share/texlive/texmf-dist/tex/generic/hyph-utf8/patterns/txt"
