#!/usr/bin/env bash
# Builds the fuzz targets (container, table files, word-list file, colour
# rules, compiled pattern images) with clang's libFuzzer (plus
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs each for a
# bounded time.
#   FUZZ_SECONDS  seconds per target (default 60)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}

packages=(clang libclang-rt-14-dev libssl-dev zlib1g-dev libexpat1-dev libicu-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >&2 && apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

mkdir -p "$build"
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$root/src")
clang++ "${flags[@]}" "$root/tests/fuzz/container_fuzz.cc" "$root"/src/container/*.cc "$root"/src/platform/*.cc \
  -lcrypto -o "$build/container_fuzz"

# Seeds: containers made by the tool itself, so the fuzzer starts from valid files.
corpus=$build/container_corpus
mkdir -p "$corpus"
if [[ -x $root/build/bin/corvane && -z $(ls -A "$corpus") ]]; then
  "$root/build/bin/corvane" container create "$corpus/empty.edb"
  cp "$corpus/empty.edb" "$corpus/one.edb"
  printf 'hello' | "$root/build/bin/corvane" container put "$corpus/one.edb" a.txt
  cp "$corpus/one.edb" "$corpus/two.edb"
  head -c 9000 /dev/zero | "$root/build/bin/corvane" container put "$corpus/two.edb" b.dat
fi

echo "container reader:"
"$build/container_fuzz" -max_total_time="$seconds" -max_len=200000 -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$build/" \
  -print_final_stats=1 "$corpus" 2>&1 | tail -n 6

# The table files: a seed made from a small word-list table.
table_sources=("$root"/src/table/*.cc "$root"/src/container/*.cc "$root"/src/platform/*.cc)
clang++ "${flags[@]}" "$root/tests/fuzz/table_fuzz.cc" "${table_sources[@]}" -lcrypto -lz -o "$build/table_fuzz"
table_corpus=$build/table_corpus
mkdir -p "$table_corpus"
if [[ -z $(ls -A "$table_corpus") ]]; then
  clang++ -std=c++20 -O1 -DTABLE_FUZZ_SEED -I"$root/src" "$root/tests/fuzz/table_fuzz.cc" "${table_sources[@]}" \
    -lcrypto -lz -o "$build/table_seed"
  "$build/table_seed" "$table_corpus/hyplist.seed"
fi
echo "table files:"
"$build/table_fuzz" -max_total_time="$seconds" -max_len=100000 -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$build/" \
  -print_final_stats=1 "$table_corpus" 2>&1 | tail -n 6


# Filter expressions against a small table: seeds from the expressions the
# engine documents, each with its options byte first.
clang++ "${flags[@]}" "$root/tests/fuzz/filter_fuzz.cc" "${table_sources[@]}" -lcrypto -lz -o "$build/filter_fuzz"
filter_corpus=$build/filter_corpus
mkdir -p "$filter_corpus"
if [[ -z $(ls -A "$filter_corpus") ]]; then
  i=0
  for expression in "NWORD = 'ka'" "not (NWORD = 'a' or N > 1) and [W] like 'k%m'" "N is not null and OK = true" \
      "ID >= 3 or F < 1.5" "NWORD <> '' and D >= '2024-01-02'" "(((N = 1)))" "NWORD = 'it''s'"; do
    printf '\001%s' "$expression" > "$filter_corpus/seed$((i++))"
  done
fi
echo "filter expressions:"
"$build/filter_fuzz" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$build/" \
  -print_final_stats=1 "$filter_corpus" 2>&1 | tail -n 6

# The hyphenation passes: arbitrary pages in every language setting, seeded
# with a page full of references and the example page.
# The programs' pattern automaton is packed by the build, as here.
clang++ -std=c++20 -O1 -I"$root/src" "$root/tools/gen_automaton.cc" "$root"/src/hyphenation/pattern_{matcher,table}.cc \
  "$root"/src/platform/*.cc -o "$build/gen_automaton"
"$build/gen_automaton" "$build/built_in_automaton_table.cc"
# And the same patterns as text, for the set English words go through.
clang++ -std=c++20 -O1 -I"$root/src" "$root/tools/gen_english_patterns.cc" "$root"/src/hyphenation/pattern_{matcher,table}.cc \
  "$root"/src/platform/*.cc -o "$build/gen_english_patterns"
"$build/gen_english_patterns" "$build/built_in_english_patterns.cc"
clang++ "${flags[@]}" "$root/tests/fuzz/pass_fuzz.cc" "$root"/src/html/*.cc "$root"/src/hyphenation/*.cc \
  "$build/built_in_automaton_table.cc" "$build/built_in_english_patterns.cc" "$root"/src/platform/*.cc -licuuc -licudata \
  -o "$build/pass_fuzz"
pass_corpus=$build/pass_corpus
mkdir -p "$pass_corpus"
if [[ -z $(ls -A "$pass_corpus") ]]; then
  printf '\x02<html lang="tr"><p>G&uuml;zel k&#305;rm&#305;z&#305; <b lang=en>hyphenation</b> Ankara'"'"'dan &amp; AT&T</p>' \
    > "$pass_corpus/references"
  { printf '\x00'; cat "$root/data/examples/sample.html"; } > "$pass_corpus/sample"
fi
echo "hyphenation passes:"
"$build/pass_fuzz" -max_total_time="$seconds" -max_len=20000 -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$build/" \
  -print_final_stats=1 "$pass_corpus" 2>&1 | tail -n 6

# The word-list file with the line cipher, and the colour rules: seeds are
# committed under tests/fuzz/corpus and copied, so runs never touch them.
run_seeded() {
  local name=$1 max_len=$2
  shift 2
  clang++ "${flags[@]}" "$root/tests/fuzz/${name}_fuzz.cc" "$@" -o "$build/${name}_fuzz"
  mkdir -p "$build/${name}_corpus"
  cp -n "$root/tests/fuzz/corpus/$name"/* "$build/${name}_corpus/"
  echo "$name:"
  "$build/${name}_fuzz" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$build/" \
    -print_final_stats=1 "$build/${name}_corpus" 2>&1 | tail -n 6
}
run_seeded wordlist 65536 "$root"/src/wordlist/line_cipher.cc "$root"/src/wordlist/list_file.cc "$root"/src/platform/*.cc
run_seeded color_rule 16384 "$root"/src/editor/*.cc "$root"/src/platform/*.cc
run_seeded pattern_image 65536 "$root"/src/hyphenation/code_point_automaton.cc "$root"/src/platform/error.cc
run_seeded epub_package 65536 "$root"/src/ebook/epub_package.cc "$root"/src/html/*.cc "$root"/src/hyphenation/*.cc \
  "$build/built_in_automaton_table.cc" "$build/built_in_english_patterns.cc" "$root"/src/platform/*.cc -lexpat -licuuc \
  -licudata
