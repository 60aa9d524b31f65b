#!/usr/bin/env bash
# Builds the German counterpart of bench/make_pages.sh's 1 MB English page:
# the same markup, each distinct word of its text replaced by one of an even
# spread of /usr/share/dict/ngerman (package wngerman), so that words repeat
# as often as on the English page, and the body under lang="de"; cut at the
# English page's size. Comparing the two pages' whole-process times shows what a
# language read from installed patterns costs against the built-in English.
#   DIR/page-1m-de.html
# Usage: bench/make_german_page.sh DIR   (a page already there is kept)
set -euo pipefail
out=${1:?usage: make_german_page.sh DIR}
words=/usr/share/dict/ngerman
if [[ ! -r $words ]]; then
  echo "make_german_page.sh: $words is missing (apt-get install wngerman)" >&2
  exit 1
fi
bash "$(dirname "${BASH_SOURCE[0]}")/make_pages.sh" "$out" >/dev/null
page=$out/page-1m-de.html
if [[ ! -s $page ]]; then
  # Tags and character references stay as they are; every run of letters
  # between them becomes a German word.
  perl -CSD -Mutf8 -MEncode -e '
    open(my $list, "<:encoding(UTF-8)", $ARGV[0]) or die "$ARGV[0]: $!";
    my @all = grep { /^\p{L}+$/ } map { chomp; $_ } <$list>;
    my @words = @all[grep { $_ % 7 == 0 } 0 .. $#all];
    my ($next, $size, %german) = (0, 0);
    open(my $in, "<:encoding(UTF-8)", $ARGV[1]) or die "$ARGV[1]: $!";
    while (my $line = <$in>) {
      $line =~ s{(<[^>]*>?|&[#\w]+;)|(\p{L}+)}{defined $1 ? $1 : ($german{$2} //= $words[$next++ % @words])}ge;
      $line =~ s{<(html|body)\b}{<$1 lang="de"}g;
      print $line;
      # German words are longer: the page ends at the English one'"'"'s size.
      $size += length(Encode::encode("UTF-8", $line));
      last if $size >= 1048576;
    }
    print "</body></html>\n";' "$words" "$out/page-1m.html" > "$page.tmp"
  mv "$page.tmp" "$page"
fi
echo "$page"
