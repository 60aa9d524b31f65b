#!/usr/bin/env bash
# Installs and builds everything (the desktop program too) and runs every
# test; ends with ctest's summary. With CORVANE_DESKTOP=OFF, the command-line
# build alone (scripts/bootstrap.sh).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
BUILD_DIR=$build_dir bash "$root/scripts/bootstrap.sh"
# TeX's patterns of several languages, unpacked from Debian's packages into
# the build folder once, so that the tests compare every set with plain
# Liang; without them (no package mirror) those tests are skipped.
tex=$build_dir/tex-patterns
if [[ ! -d $tex/usr ]]; then
  bash "$root/scripts/fetch_tex_patterns.sh" "$tex" >/dev/null 2>&1 || echo "TeX patterns not fetched: their tests are skipped" >&2
fi
[[ -d $tex/usr ]] && export CORVANE_PATTERNS_PATH=$tex/usr/share/texlive/texmf-dist/tex/generic/hyph-utf8/patterns/txt
# Whatever the tests run caches its compiled pattern sets in the build tree.
export XDG_CACHE_HOME=$build_dir/test-cache
ctest --test-dir "$build_dir" -j "${JOBS:-2}" --output-on-failure
