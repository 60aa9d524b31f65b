#!/usr/bin/env bash
# Static analysis of the non-GUI sources: clang-tidy with a small set of
# checks that find real faults (not style), and cppcheck. Prints each
# tool's findings; exits non-zero when either has any. Not part of CI.
#
# clang-tidy checks, and why these:
#   bugprone-*          misuse that compiles: narrowing loops, swapped
#                       arguments, suspicious string and memory calls —
#                       minus easily-swappable-parameters and
#                       implicit-widening-of-multiplication-result, which
#                       flag every (int, int) signature and every offset
#                       product of the file formats
#   clang-analyzer-*    path-sensitive: null dereferences, leaks, use after
#                       move, uninitialised reads
#   cert-err58-cpp      statics whose construction can throw before main
#   performance-unnecessary-copy-initialization, performance-for-range-copy
#                       silent copies of strings and records in hot loops
#   BUILD_DIR  a configured build tree (compile_commands.json)
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
checks='-*,bugprone-*,-bugprone-easily-swappable-parameters,-bugprone-implicit-widening-of-multiplication-result,clang-analyzer-*,cert-err58-cpp,performance-unnecessary-copy-initialization,performance-for-range-copy'
sources=$(ls "$root"/src/{platform,hyphenation,html,container,table,wordlist,editor,cli}/*.cc)
status=0
echo "clang-tidy:"
if ! run-clang-tidy -quiet -p "$build" -checks="$checks" -j "${JOBS:-2}" $sources 2>/dev/null |
    grep -E 'warning:|error:' | sort -u | tee "$build/clang-tidy.txt" | grep -q .; then
  echo "  nothing found"
else
  status=1
fi
echo "cppcheck:"
cppcheck --quiet --std=c++20 --language=c++ --enable=warning,performance,portability \
  --inline-suppr -I "$root/src" $sources 2>"$build/cppcheck.txt"
if [[ -s $build/cppcheck.txt ]]; then
  grep -E '^/' "$build/cppcheck.txt" | sort -u
  status=1
else
  echo "  nothing found"
fi
exit $status
