#!/usr/bin/env bash
# Writer speed of the newer formats against the Intel writer, per output
# byte, with srec_cat writing the same formats in the same run: a 16 MiB
# random binary image converted to Intel HEX, TI-TXT and a C array.
# Usage: bench/export_formats.sh RELEASE_BUILD_DIR [SAMPLES]
# Prints CPU seconds (medians), output size, nanoseconds per output byte,
# each writer's cost per output byte against the Intel writer's (target:
# at most 1.0) and how many times srec_cat's time dravel-conv takes.
set -euo pipefail
build=${1:?usage: bench/export_formats.sh RELEASE_BUILD_DIR [SAMPLES]}
samples=${2:-5}
conv="$build/tools/dravel-conv"
[ -x "$conv" ] || { echo "no dravel-conv at $conv" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/dravel-export-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
head -c $((16 * 1024 * 1024)) /dev/urandom >"$work/image.bin"

cpu() {
  local all=()
  for ((i = 0; i < samples; i++)); do
    /usr/bin/time -f "%U %S" -o "$work/time.txt" "$@" >/dev/null 2>"$work/err.txt" ||
      { echo "FAILED: $*" >&2; cat "$work/err.txt" >&2; exit 1; }
    all+=("$(awk '{ printf "%.4f", $1 + $2 }' "$work/time.txt")")
  done
  printf '%s\n' "${all[@]}" | sort -g | sed -n "$(((samples + 1) / 2))p"
}

printf '%-8s %8s %10s %9s %9s %8s %9s\n' format conv_s out_MB ns/byte vs_intel srec_s srec/conv
intelPerByte=
for fmt in ext tix c; do
  out="$work/out.$fmt"
  c=$(cpu "$conv" --in-key bin "$work/image.bin" "$out")
  bytes=$(stat -c %s "$out")
  case $fmt in
    ext) peer="-intel" ;;
    tix) peer="-ti-txt" ;;
    c) peer="-c-array" ;;
  esac
  s=$(cpu srec_cat "$work/image.bin" -binary -o "$work/peer.$fmt" $peer)
  perByte=$(awk -v c="$c" -v b="$bytes" 'BEGIN { printf "%.4f", c * 1e9 / b }')
  [ "$fmt" = ext ] && intelPerByte=$perByte
  awk -v f="$fmt" -v c="$c" -v b="$bytes" -v p="$perByte" -v i="$intelPerByte" -v s="$s" 'BEGIN {
    printf "%-8s %8.4f %10.1f %9.3f %9.2f %8.4f %9.1f\n", f, c, b / 1e6, p, (i > 0 ? p / i : 0), s, (c > 0 ? s / c : 0) }'
done
# The TI-TXT output holds the image, as srec_cat reads it.
srec_cat "$work/out.tix" -ti-txt -o "$work/back.bin" -binary && cmp -s "$work/back.bin" "$work/image.bin" ||
  { echo "WRONG OUTPUT: out.tix does not hold the image" >&2; exit 1; }
echo "CPU seconds per run, medians of $samples; vs_intel is the cost per output byte against the Intel writer (target <= 1.0)"
