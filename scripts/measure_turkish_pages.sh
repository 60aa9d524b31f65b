#!/usr/bin/env bash
# Measures how Turkish pages come out of `corvane hyphenate`: the share of the
# words holding ç ğ ı ö ş ü (either case) whose soft hyphens are exactly the
# Turkish syllable rule's, with --language=auto and with --language=en.
#
# Two sets of pages, neither of them the LibreOffice help the word list was
# checked against:
#   - the Turkish manual pages (manpages-tr) rendered to HTML by groff
#     (-k -man -Thtml), which spells every Turkish letter as a reference;
#   - the Turkish translation of the Debian Administrator's Handbook
#     (debian-handbook, html/tr-TR, UTF-8).
# Runs as root on Debian 12: installs groff and manpages-tr when missing,
# downloads debian-handbook without installing it, builds corvane and the counter
# into $BUILD_DIR (default: build), works in a temporary folder it removes.
# VERBOSE=1 lists the words that differ from the rule.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
packages=(groff manpages-tr)

export DEBIAN_FRONTEND=noninteractive
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  apt-get update -qq >&2
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
BUILD_DIR=$build_dir CORVANE_DESKTOP=OFF bash "$root/scripts/bootstrap.sh"
cmake --build "$build_dir" -j "${JOBS:-2}" --target corvane turkish_rule_share >&2
bin=$build_dir/bin

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 0777 "$work"  # apt fetches as its own user

# groff -Thtml drops an image file (grohtml-*.png) in the folder it runs in
# for each page, so it runs in a scratch folder of its own.
mkdir -p "$work/man" "$work/groff"
for page in /usr/share/man/tr/man*/*.gz; do
  name=$(basename "$page" .gz)
  (cd "$work/groff" && zcat "$page" | groff -k -man -Thtml) > "$work/man/$name.html" 2>/dev/null ||
    rm -f "$work/man/$name.html"
done

mkdir -p "$work/handbook"
if (cd "$work" && apt-get download -qq debian-handbook >&2); then
  dpkg-deb -x "$work"/debian-handbook_*.deb "$work/deb"
  cp "$work"/deb/usr/share/doc/debian-handbook/html/tr-TR/*.html "$work/handbook/"
fi

verbose=()
[[ ${VERBOSE:-0} == 1 ]] && verbose=(-v)
for set in man handbook; do
  files=("$work/$set"/*)
  [[ -e ${files[0]} ]] || { echo "$set: no pages"; continue; }
  for language in auto en; do
    mkdir -p "$work/$set-$language"
    cp "$work/$set"/* "$work/$set-$language/"
    "$bin/corvane" hyphenate --language=$language --in-place "$work/$set-$language"/* >&2
    printf '%-6s %-4s %4d pages: ' "$set" "$language" "${#files[@]}"
    "$bin/turkish_rule_share" "${verbose[@]}" "$work/$set-$language"/*
  done
done
