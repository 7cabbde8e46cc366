#!/usr/bin/env bash
# dravel-conv --compare on two 16 MiB random images, against the yardsticks
# of the same run: reading both files (dravel-conv --info on each), and cmp
# on two binaries. Three tasks:
#   intel-vs-binary  --compare image.hex other.bin   vs --info image.hex + --info other.bin
#   binary-vs-binary --compare image.bin other.bin   vs cmp image.bin same.bin (equal, so cmp reads all)
#   many-ranges      --compare image.bin every.bin   (131,072 ranges listed) vs cmp -l of the same pair
# other.bin differs from the image in 64 bytes, every.bin in every 128th.
# Usage: bench/compare.sh RELEASE_BUILD_DIR [SAMPLES] [REPEATS]
# The commands run in turn, A B A B ..., and each pair gives a ratio of CPU
# times (user + system); the figures are medians.
set -euo pipefail
build=${1:?usage: bench/compare.sh RELEASE_BUILD_DIR [SAMPLES] [REPEATS]}
samples=${2:-7}
repeats=${3:-10}
conv="$build/tools/dravel-conv"
[ -x "$conv" ] || { echo "no dravel-conv at $conv" >&2; exit 1; }
for tool in objcopy cmp /usr/bin/time python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/dravel-compare-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
size=$((16 * 1024 * 1024))
head -c "$size" /dev/urandom >"$work/image.bin"
cp "$work/image.bin" "$work/same.bin"
objcopy -I binary -O ihex "$work/image.bin" "$work/image.hex"
python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
data = bytearray(open(work + "/image.bin", "rb").read())
other = bytearray(data)
for i in range(64):
    at = (i * 262147) % len(other)
    other[at] ^= 0x5A
open(work + "/other.bin", "wb").write(other)
every = bytearray(data)
for at in range(0, len(every), 128):
    every[at] ^= 0xFF
open(work + "/every.bin", "wb").write(every)
PY

# CPU seconds (user + system) of `repeats` runs of a command, output thrown away.
cpu() {
  /usr/bin/time -f "%U %S" -o "$work/time.txt" \
    sh -c 'n=$1; shift; while [ "$n" -gt 0 ]; do "$@" >/dev/null; n=$((n - 1)); done' sh "$repeats" "$@" \
    2>"$work/stderr.txt"
  awk -v n="$repeats" '{ printf "%.4f", ($1 + $2) / n }' "$work/time.txt"
}

# Runs A and B in turn; prints "task A_s B_s A/B" with medians.
pair() {
  local task=$1 a=$2 b=$3 as=() bs=() rs=()
  for ((i = 0; i < samples; i++)); do
    local ta tb
    ta=$(eval "cpu $a")
    tb=$(eval "cpu $b")
    as+=("$ta")
    bs+=("$tb")
    rs+=("$(awk -v a="$ta" -v b="$tb" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')")
  done
  local mid=$(((samples + 1) / 2))
  med() { printf '%s\n' "$@" | sort -g | sed -n "${mid}p"; }
  printf '%-18s %9s %9s %7s\n' "$task" "$(med "${as[@]}")" "$(med "${bs[@]}")" "$(med "${rs[@]}")"
}

# The answers are checked before anything is timed.
"$conv" --compare "$work/image.bin" "$work/same.bin" || { echo "WRONG: equal images differ" >&2; exit 1; }
"$conv" --compare "$work/image.hex" "$work/image.bin" || { echo "WRONG: Intel and binary differ" >&2; exit 1; }
lines=$("$conv" --compare "$work/image.hex" "$work/other.bin" | wc -l) || true
[ "$lines" -ge 60 ] || { echo "WRONG: $lines ranges instead of about 64" >&2; exit 1; }
lines=$("$conv" --compare "$work/image.bin" "$work/every.bin" | wc -l) || true
[ "$lines" -eq $((size / 128)) ] || { echo "WRONG: $lines ranges instead of $((size / 128))" >&2; exit 1; }

printf '%-18s %9s %9s %7s\n' task conv_s peer_s ratio
pair intel-vs-binary "\"$conv\" --compare \"$work/image.hex\" \"$work/other.bin\"" \
  "sh -c '\"\$0\" --info \"\$1\" && \"\$0\" --info \"\$2\"' \"$conv\" \"$work/image.hex\" \"$work/other.bin\""
pair binary-vs-binary "\"$conv\" --compare \"$work/image.bin\" \"$work/same.bin\"" \
  "cmp \"$work/image.bin\" \"$work/same.bin\""
# Both lists go to a file: cmp stops at the first difference when its output is /dev/null.
pair many-ranges "sh -c '\"\$0\" --compare \"\$1\" \"\$2\" >\"\$3\"' \"$conv\" \"$work/image.bin\" \"$work/every.bin\" \"$work/list.txt\"" \
  "sh -c 'cmp -l \"\$0\" \"\$1\" >\"\$2\"' \"$work/image.bin\" \"$work/every.bin\" \"$work/list.txt\""
echo "targets: intel-vs-binary ratio <= 1.2 (against reading both), binary-vs-binary ratio <= 2 (against cmp)"
