#!/usr/bin/env bash
# Hyphenates the shipped example page with `corvane` and prints where the
# result went. Builds only the tool and what it needs; scripts/test.sh
# builds the rest (tests and benchmarks).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
BUILD_DIR=$build_dir bash "$root/scripts/bootstrap.sh" corvane
out_dir=$build_dir/examples
mkdir -p "$out_dir"
out=$out_dir/sample.hyphenated.html
"$build_dir/bin/corvane" hyphenate -v --stats "$root/data/examples/sample.html" -o "$out"
echo "Hyphenated page written to $out"
