#!/usr/bin/env bash
# Runs the non-GUI test programs under Valgrind memcheck (leaks included)
# and ends with one line per program. Long; not part of CI.
#   BUILD_DIR      build tree with the tests (default: build)
#   VALGRIND_TESTS test programs to run (default: all but the Qt ones)
#   GTEST_FILTER   passed on, to run a part of each program
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
if ! command -v valgrind >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >&2 && apt-get install -y -qq --no-install-recommends valgrind >&2
fi
default_tests="platform_tests hyphenation_tests html_tests container_tests table_tests wordlist_tests cli_tests editor_tests hardening_tests"
summary=()
status=0
for name in ${VALGRIND_TESTS:-$default_tests}; do
  program=$build/bin/$name
  [[ -x $program ]] || { summary+=("$name: not built"); continue; }
  log=$build/valgrind-$name.log
  if valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite,indirect \
      --error-exitcode=99 --trace-children=no --log-file="$log" "$program" >"$log.out" 2>&1; then
    summary+=("$name: clean")
  else
    summary+=("$name: FAILED (exit $?), see $log")
    status=1
  fi
done
printf '%s\n' "${summary[@]}"
exit $status
