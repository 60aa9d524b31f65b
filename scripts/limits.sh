#!/usr/bin/env bash
# The large inputs: each must finish within memory proportional to its size
# or stop with a clear message, never crash. Prints, per case, the exit
# status, the peak memory and the last line of stderr. Long (minutes) and
# disk-hungry (several GB under LIMITS_DIR); not part of CI.
#   BUILD_DIR   build tree with bin/corvane (default: build)
#   LIMITS_DIR  scratch folder (default: a new one under /tmp)
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
corvane=${BUILD_DIR:-$root/build}/bin/corvane
work=${LIMITS_DIR:-$(mktemp -d /tmp/corvane_limits.XXXXXX)}
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

measure() {
  local label=$1
  shift
  local rc
  /usr/bin/time -f '%M' -o "$work/rss" "$@" >"$work/out" 2>"$work/err"
  rc=$?
  printf '%-34s exit %-3s peak %6s MB  %s\n' "$label" "$rc" "$(($(cat "$work/rss") / 1024))" \
    "$(tail -n 1 "$work/err" | cut -c1-60)"
}

python3 - "$work" <<'PY'
import sys, random
w = sys.argv[1]
random.seed(7)
syl = ["ka", "le", "mi", "to", "ru", "sa", "bel", "dor", "nu", "pe", "ta", "ki"]
def word(i):
    s = ""
    while True:
        s += syl[i % 12]; i //= 12
        if i == 0: return s
para = "<p>" + " ".join(word(i) for i in range(1, 400)) + "</p>\n"
with open(w + "/doc100mb.html", "w") as f:
    for _ in range(100 * 1024 * 1024 // len(para) + 1): f.write(para)
with open(w + "/line10mb.html", "w") as f:
    f.write(" ".join(word(i) for i in range(1, 10 * 1024 * 1024 // 8)))
with open(w + "/distinct.html", "w") as f:
    f.write(" ".join(word(i) for i in range(1, 1000001)))
PY
measure "document of 100 MB" "$corvane" hyphenate --no-wordlist "$work/doc100mb.html" -o "$work/o1.html"
measure "line of 10 MB" "$corvane" hyphenate --no-wordlist "$work/line10mb.html" -o "$work/o2.html"
measure "1,000,000 distinct words" "$corvane" hyphenate --no-wordlist "$work/distinct.html" -o "$work/o3.html"
# A word list of 2,000,000 lines, encoded as the import expects (empty key:
# every byte uses "K").
python3 - "$work" <<'PY'
import sys
syl = ["ka", "le", "mi", "to", "ru", "sa", "bel", "dor", "nu", "pe", "ta", "ki"]
with open(sys.argv[1] + "/big.lst", "w") as f:
    for i in range(1, 2000001):
        parts, n = [], i
        while True:
            parts.append(syl[n % 12]); n //= 12
            if n == 0: break
        prev, out = 0x42, ["42"]
        for ch in "_".join(parts):
            prev = ((ord(ch) + prev) % 255) ^ ord("K")
            out.append("%02X" % prev)
        f.write("".join(out) + "\r\n")
PY
measure "word list of 2,000,000 lines" "$corvane" wordlist build --db "$work/wl.edb" --list "$work/big.lst"
measure "lookup in it" "$corvane" wordlist lookup --db "$work/wl.edb" --list "$work/big.lst" kaleto
head -c 1 "$work/out"; echo " <- first byte of the lookup's answer"
measure "container check of it" "$corvane" container check "$work/wl.edb"

# A container past 2 GB needs a second part file.
head -c $((2200 * 1024 * 1024)) /dev/zero >"$work/big.bin"
"$corvane" container create "$work/big.edb"
measure "container file of 2.2 GB" "$corvane" container put "$work/big.edb" big.bin <"$work/big.bin"
measure "container check of 2.2 GB" "$corvane" container check "$work/big.edb"
ls -l "$work"/big.edb*
