#!/usr/bin/env bash
# Hyphenates the shipped example page with `corvane` and prints where the
# result went. Installs only what the command-line build needs (no GUI
# toolkit) and builds only the tool; scripts/test.sh installs and builds the
# rest (the desktop program, tests and benchmarks).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
BUILD_DIR=$build_dir CORVANE_DESKTOP=OFF CORVANE_INSTALL=tool bash "$root/scripts/bootstrap.sh" corvane
out_dir=$build_dir/examples
mkdir -p "$out_dir"
out=$out_dir/sample.hyphenated.html
"$build_dir/bin/corvane" hyphenate -v --stats "$root/data/examples/sample.html" -o "$out"
echo "Hyphenated page written to $out"
