#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (plus AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time.
#   FUZZ_SECONDS  seconds per target (default 60)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}

packages=(clang libclang-rt-14-dev libssl-dev)
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

"$build/container_fuzz" -max_total_time="$seconds" -max_len=200000 -rss_limit_mb=2048 -timeout=10 \
  -print_final_stats=1 "$corpus" 2>&1 | tail -n 15
