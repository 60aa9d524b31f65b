#!/usr/bin/env bash
# Remakes data/cvhype.lst, the Turkish word list, from two Debian 12
# packages: hunspell-tr (the spelling dictionary) and libzemberek-tr-java (its
# list of frequent words). Then reports how much of the Turkish LibreOffice
# help (libreoffice-help-tr) the list holds.
#
# Runs as root on Debian 12: installs what the build needs, downloads the
# packages without installing them (into a temporary folder it removes), and
# builds only the generators into $BUILD_DIR (default: build-wordlist). The
# same packages give the same file byte for byte, so running it again leaves
# data/cvhype.lst as it is.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build-wordlist}
out=$root/data/cvhype.lst
# The dictionary and the frequent words are pinned: another version gives
# another list. The help only measures it.
sources=(hunspell-tr=1:7.5.0-1 libzemberek-tr-java=2.1.1-8.4 libreoffice-help-tr)
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libssl-dev zlib1g-dev unzip)

export DEBIAN_FRONTEND=noninteractive
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
updated=no
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  apt-get update -qq >&2
  updated=yes
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# apt fetches as its own user, which must be able to write here.
chmod 0777 "$work"
for s in "${sources[@]}"; do
  if ! apt-cache show "$s" >/dev/null 2>&1 && [[ $updated == no ]]; then
    apt-get update -qq >&2
    updated=yes
  fi
  apt-cache show "$s" >/dev/null 2>&1 || { echo "make_wordlist.sh: $s is not available from apt" >&2; exit 1; }
done
(cd "$work" && apt-get download -qq "${sources[@]}" >&2)
for deb in "$work"/*.deb; do
  dpkg-deb -x "$deb" "$work/x"
  echo "source: $(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version)"
done
share=$work/x/usr/share
jar=$(find "$share/java" -name 'zemberek-tr-*.jar' -type f | head -n 1)
[[ -n $jar ]] || { echo "make_wordlist.sh: no zemberek-tr jar in the package" >&2; exit 1; }
unzip -q -o "$jar" kaynaklar/tr/bilgi/kelime_cebi_tr.txt -d "$work/jar"

if [[ ! -f $build_dir/build.ninja ]]; then
  cmake -S "$root" -B "$build_dir" -G Ninja -DCORVANE_BENCH=OFF ${CMAKE_ARGS:-} >&2
fi
cmake --build "$build_dir" --target make_wordlist make_wordlist_coverage -j "${JOBS:-2}" >&2

before=$work/before.lst
[[ -f $out ]] && cp "$out" "$before"
"$build_dir/bin/make_wordlist" \
  --aff "$share/hunspell/tr_TR.aff" --dic "$share/hunspell/tr_TR.dic" \
  --frequent "$work/jar/kaynaklar/tr/bilgi/kelime_cebi_tr.txt" --out "$out"
"$build_dir/bin/make_wordlist_coverage" --list "$out" \
  --aff "$share/hunspell/tr_TR.aff" --dic "$share/hunspell/tr_TR.dic" \
  --text-dir "$share/libreoffice/help/tr"
if [[ -f $before ]] && cmp -s "$before" "$out"; then
  echo "data/cvhype.lst unchanged"
else
  echo "data/cvhype.lst written"
fi
