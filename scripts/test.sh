#!/usr/bin/env bash
# Installs and builds everything (the desktop program too) and runs every
# test; ends with ctest's summary. With CORVANE_DESKTOP=OFF, the command-line
# build alone (scripts/bootstrap.sh).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
BUILD_DIR=$build_dir bash "$root/scripts/bootstrap.sh"
ctest --test-dir "$build_dir" -j "${JOBS:-2}" --output-on-failure
