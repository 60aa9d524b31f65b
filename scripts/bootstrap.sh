#!/usr/bin/env bash
# Installs what the build needs (Debian 12, as root), then configures and
# builds into $BUILD_DIR (default: build). Arguments name the targets to
# build (default: all of them). Safe to run again: it installs only missing
# packages and rebuilds only what changed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libssl-dev zlib1g-dev libsqlite3-dev
          qt6-base-dev qt6-svg-dev qt6-tools-dev qt6-l10n-tools libgl-dev fonts-dejavu-core libzip-dev libexpat1-dev
          epubcheck libxml2-utils zip
          libicu-dev libhyphen-dev hyphen-de hyphen-fr hyphen-hu hyphen-en-us wngerman wfrench wamerican)

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
  cmake -S "$root" -B "$build_dir" -G Ninja ${CMAKE_ARGS:-} >&2
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build_dir" -j "${JOBS:-2}" "${targets[@]}" >&2
