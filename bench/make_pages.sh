#!/usr/bin/env bash
# Builds the English pages the comparisons hyphenate, from real documentation
# found in a Debian package: the HTML manual of groff's mom macros (package
# groff, /usr/share/doc/groff-base/html/mom). The manual's pages are put back
# to back, line by line, as often as needed:
#   DIR/page-100k.html, page-1m.html, page-10m.html  one page of about that size
#   DIR/site/page-0000.html ... page-1999.html        a site of 2000 pages of
#                                                     about 50 KB, each starting
#                                                     at another line
# Usage: bench/make_pages.sh DIR   (pages already there are kept)
set -euo pipefail
out=${1:?usage: make_pages.sh DIR}
docs=/usr/share/doc/groff-base/html/mom
if [[ ! -d $docs ]]; then
  echo "make_pages.sh: $docs is missing (apt-get install groff)" >&2
  exit 1
fi
mkdir -p "$out/site"
corpus=$out/corpus.txt
[[ -s $corpus ]] || cat "$docs"/*.html > "$corpus"

# page SIZE START: lines of the corpus from line START, wrapping round, until
# SIZE bytes.
page() {
  awk -v size="$1" -v start="$2" '
    { line[NR] = $0 }
    END {
      n = NR; total = 0; i = start % n
      print "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
      while (total < size) { print line[i + 1]; total += length(line[i + 1]) + 1; i = (i + 1) % n }
      print "</body></html>"
    }' "$corpus"
}

for sized in 100k:102400 1m:1048576 10m:10485760; do
  f=$out/page-${sized%%:*}.html
  [[ -s $f ]] || page "${sized##*:}" 0 > "$f"
done

if [[ ! -s $out/site/page-1999.html ]]; then
  awk -v dir="$out/site" -v pages=2000 -v size=51200 '
    { line[NR] = $0 }
    END {
      n = NR
      for (p = 0; p < pages; p++) {
        f = sprintf("%s/page-%04d.html", dir, p)
        print "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>" > f
        total = 0; i = (p * 7919) % n
        while (total < size) { print line[i + 1] > f; total += length(line[i + 1]) + 1; i = (i + 1) % n }
        print "</body></html>" > f
        close(f)
      }
    }' "$corpus"
fi
echo "$out"
