#!/usr/bin/env bash
# A whole book against its pages: an EPUB of 60 chapters holding about 5 MB
# of XHTML (groff's HTML manual, as make_pages.sh reads it) hyphenated by
#   book    corvane hyphenate book.epub -o out.epub
#   pages   corvane hyphenate --in-place on the 60 XHTML files, then zip -X
# both at the same -j, timed by hyperfine (medians), with the book's peak
# memory (GNU time) against its uncompressed size.
# Usage: bench/book_compare.sh [CORVANE]   (default: build/bin/corvane)
# Environment: BOOK_DIR (scratch, default /tmp/corvane-book), RUNS (default 5),
# JOBS (default 2).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
corvane=${1:-$root/build/bin/corvane}
work=${BOOK_DIR:-/tmp/corvane-book}
runs=${RUNS:-5}
jobs=${JOBS:-2}
mkdir -p "$work"
bash "$root/bench/make_pages.sh" "$work/pages" >/dev/null

# ---- the book: 60 chapters of about 85 KB, each from another line ----------
book=$work/src
if [[ ! -s $work/book.epub ]]; then
  rm -rf "$book" && mkdir -p "$book/META-INF" "$book/OEBPS"
  printf 'application/epub+zip' > "$book/mimetype"
  cat > "$book/META-INF/container.xml" <<'XML'
<?xml version="1.0"?>
<container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container"><rootfiles><rootfile full-path="OEBPS/package.opf" media-type="application/oebps-package+xml"/></rootfiles></container>
XML
  # The manual's text without its tags, so that every chapter is XML.
  sed -e 's/<[^>]*>//g' -e 's/&[a-zA-Z#0-9]*;//g' -e 's/[<>&]//g' "$work/pages/corpus.txt" | grep -v '^\s*$' > "$work/text.txt"
  lines=$(wc -l < "$work/text.txt")
  items='' spine=''
  for n in $(seq -w 1 60); do
    awk -v start=$(( (10#$n * 977) % lines )) -v size=87000 '
      { line[NR] = $0 }
      END {
        print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        print "<!DOCTYPE html>"
        print "<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\" xml:lang=\"en\"><head><title>Chapter</title></head><body>"
        i = start; total = 0
        while (total < size) { print "<p>" line[i % NR + 1] "</p>"; total += length(line[i % NR + 1]) + 8; i++ }
        print "</body></html>"
      }' "$work/text.txt" > "$book/OEBPS/ch$n.xhtml"
    items+="<item id=\"c$n\" href=\"ch$n.xhtml\" media-type=\"application/xhtml+xml\"/>"
    spine+="<itemref idref=\"c$n\"/>"
  done
  cat > "$book/OEBPS/package.opf" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<package xmlns="http://www.idpf.org/2007/opf" version="3.0" unique-identifier="uid"><metadata xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:identifier id="uid">urn:uuid:00000000-0000-4000-8000-000000000000</dc:identifier><dc:title>Bench</dc:title><dc:language>en</dc:language><meta property="dcterms:modified">2026-01-01T00:00:00Z</meta></metadata><manifest>$items</manifest><spine>$spine</spine></package>
XML
  (cd "$book" && zip -X -q -0 "$work/book.epub" mimetype && zip -X -q -r "$work/book.epub" META-INF OEBPS)
fi
size=$(du -cb "$book"/OEBPS/*.xhtml | tail -1 | cut -f1)
echo "book: $(ls "$book"/OEBPS/*.xhtml | wc -l) chapters, $size bytes of XHTML, $(stat -c %s "$work/book.epub") bytes zipped"

# The pages' copies are made fresh before each run, outside the timing.
cat > "$work/pages.sh" <<SH
"$corvane" hyphenate --no-wordlist --in-place -j $jobs "$work"/run/OEBPS/*.xhtml
cd "$work/run" && rm -f "$work/pages.epub" && zip -X -q -0 "$work/pages.epub" mimetype && zip -X -q -r "$work/pages.epub" META-INF OEBPS
SH
hyperfine --runs "$runs" --style basic --export-markdown "$work/book.md" \
  -n book "$corvane hyphenate --no-wordlist -j $jobs $work/book.epub -o $work/out.epub" \
  -n pages+zip --prepare "rm -rf $work/run && cp -r $book $work/run" "bash $work/pages.sh"
peak=$(/usr/bin/time -f %M "$corvane" hyphenate --no-wordlist -j "$jobs" "$work/book.epub" -o "$work/out.epub" 2>&1 >/dev/null | tail -1)
# What any run holds before its input (program, tables, engine).
echo '<p>x</p>' > "$work/tiny.html"
floor=$(/usr/bin/time -f %M "$corvane" hyphenate --no-wordlist "$work/tiny.html" 2>&1 >/dev/null | tail -1)
awk -v p=$((peak * 1024)) -v f=$((floor * 1024)) -v s="$size" 'BEGIN {
  printf "book peak memory: %d bytes, %d above the %d of a one-line page (%.2f x the XHTML)\n", p, p - f, f, (p - f) / s }'
# The heap alone, without the program's own pages, where heaptrack is installed.
if command -v heaptrack >/dev/null && command -v heaptrack_print >/dev/null; then
  rm -f "$work"/heap.*
  heaptrack -o "$work/heap" "$corvane" hyphenate --no-wordlist -j "$jobs" "$work/book.epub" -o "$work/out.epub" >/dev/null 2>&1
  heaptrack_print "$work"/heap.* 2>/dev/null | grep 'peak heap memory'
fi
