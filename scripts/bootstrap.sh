#!/usr/bin/env bash
# Installs what the build needs (Debian 12, as root), then configures and
# builds into $BUILD_DIR (default: build). Arguments name the targets to
# build (default: all of them). Safe to run again: it installs only missing
# packages and rebuilds only what changed.
#
# CORVANE_DESKTOP=OFF installs only what the command-line build needs (the
# libraries, `corvane`, their tests and benchmarks) and configures a new
# build tree without the desktop program, so no GUI toolkit is installed; a
# tree that already has the desktop program keeps it. CORVANE_DESKTOP=ON,
# the default, installs everything and turns the desktop program on in a
# tree configured without it. CORVANE_INSTALL=tool leaves out what only the
# tests and benchmarks use.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
desktop=${CORVANE_DESKTOP:-ON}
[[ $desktop == ON || $desktop == OFF ]] || { echo "bootstrap.sh: CORVANE_DESKTOP must be ON or OFF" >&2; exit 2; }
# What configuring the project and building `corvane` need.
tool_packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libssl-dev zlib1g-dev libzip-dev
               libexpat1-dev libicu-dev libxxhash-dev)
# What the tests and benchmarks use besides: the EPUB checker, the C
# hyphenation library and its dictionaries, word lists, SQLite.
check_packages=(libsqlite3-dev epubcheck libxml2-utils zip libhyphen-dev hyphen-de hyphen-fr hyphen-hu hyphen-en-us
                wngerman wfrench wamerican)
desktop_packages=(qt6-base-dev qt6-svg-dev qt6-tools-dev qt6-l10n-tools libgl-dev fonts-dejavu-core)
packages=("${tool_packages[@]}")
[[ ${CORVANE_INSTALL:-all} == tool ]] || packages+=("${check_packages[@]}")
[[ $desktop == ON ]] && packages+=("${desktop_packages[@]}")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >&2
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

if [[ ! -f $build_dir/build.ninja ]]; then
  cmake -S "$root" -B "$build_dir" -G Ninja -DCORVANE_DESKTOP="$desktop" ${CMAKE_ARGS:-} >&2
elif [[ $desktop == ON ]] && grep -q '^CORVANE_DESKTOP:BOOL=OFF$' "$build_dir/CMakeCache.txt"; then
  cmake "$build_dir" -DCORVANE_DESKTOP=ON >&2
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build_dir" -j "${JOBS:-2}" "${targets[@]}" >&2
