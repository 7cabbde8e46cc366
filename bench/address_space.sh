#!/usr/bin/env bash
# dravel-conv over the 32-bit address space against objcopy, side by side in
# the same run: an nRF52-shaped Intel file (512 KiB of application at 0 and
# UICR bytes at 0x10001000, a window of 256 MiB) converted to S-records and
# inspected with --info, and a 64 MiB random binary converted to Intel HEX.
# With a second dravel-conv (BASELINE_CONV, for instance a build of the
# previous commit) the 16 MiB conversions of bench/convert.sh are timed for
# both, so a change shows as the ratio new / old.
# Usage: bench/address_space.sh RELEASE_BUILD_DIR [SAMPLES] [BASELINE_CONV] [REPEATS]
# Each sample times REPEATS runs in a row (the timer counts hundredths of a
# second); figures are medians over SAMPLES: CPU seconds (user + system) per
# run and the peak resident memory in MiB; ratios below 1 mean dravel-conv is
# cheaper.
set -euo pipefail
build=${1:?usage: bench/address_space.sh RELEASE_BUILD_DIR [SAMPLES] [BASELINE_CONV]}
samples=${2:-5}
baseline=${3:-}
repeats=${4:-5}
conv="$build/tools/dravel-conv"
[ -x "$conv" ] || { echo "no dravel-conv at $conv" >&2; exit 1; }
for tool in objcopy srec_cat srec_cmp /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps)" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/dravel-space-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# "median-cpu-s peak-MiB" of `samples` samples of `repeats` runs of a command.
measure() {
  local cpus=() peaks=() u s m
  for ((i = 0; i < samples; i++)); do
    /usr/bin/time -f "%U %S %M" -o "$work/time.txt" \
      sh -c 'n=$1; shift; while [ "$n" -gt 0 ]; do "$@" >/dev/null || exit 1; n=$((n - 1)); done' \
      sh "$repeats" "$@" 2>"$work/stderr.txt" || { echo "FAILED: $*" >&2; cat "$work/stderr.txt" >&2; return 1; }
    read -r u s m <"$work/time.txt"
    cpus+=("$(awk -v u="$u" -v s="$s" -v n="$repeats" 'BEGIN { printf "%.4f", (u + s) / n }')")
    peaks+=("$(awk -v m="$m" 'BEGIN { printf "%.1f", m / 1024 }')")
  done
  local mid=$(((samples + 1) / 2))
  printf '%s %s\n' "$(printf '%s\n' "${cpus[@]}" | sort -g | sed -n "${mid}p")" \
    "$(printf '%s\n' "${peaks[@]}" | sort -g | sed -n "${mid}p")"
}

row() {
  local task=$1 a=$2 am=$3 b=$4 bm=$5 target=$6
  awk -v t="$task" -v a="$a" -v am="$am" -v b="$b" -v bm="$bm" -v target="$target" 'BEGIN {
    printf "%-22s %8.4f %8.4f %7.2f %9.1f %9.1f  %s\n", t, a, b, (b > 0 ? a / b : 0), am, bm, target }'
}
header() { printf '%-22s %8s %8s %7s %9s %9s  %s\n' task "$1" "$2" ratio "$1_MiB" "$2_MiB" target; }

# nRF52 merged: application at 0, a few UICR words at 0x10001000.
head -c $((512 * 1024)) /dev/urandom >"$work/app.bin"
head -c 32 /dev/urandom >"$work/uicr.bin"
srec_cat "$work/app.bin" -binary "$work/uicr.bin" -binary -offset 0x10001000 -o "$work/nrf.int" -intel
head -c $((64 * 1024 * 1024)) /dev/urandom >"$work/big.bin"

header conv objcopy
read -r cc cm < <(measure "$conv" "$work/nrf.int" "$work/nrf.s3f")
srec_cmp "$work/nrf.s3f" -motorola "$work/nrf.int" -intel 2>/dev/null || { echo "WRONG OUTPUT: nrf.s3f" >&2; exit 1; }
read -r oc om < <(measure objcopy -I ihex -O srec --srec-forceS3 "$work/nrf.int" "$work/nrf.srec")
row nrf52-intel-to-srec "$cc" "$cm" "$oc" "$om" "conv/objcopy <= 0.5, conv_MiB <= 8.5 (512 KiB + 8 MiB)"
read -r ic im < <(measure "$conv" --info "$work/nrf.int")
row nrf52-info "$ic" "$im" "$oc" "$om" "conv/objcopy <= 0.5 (objcopy: the same file to S-records)"
read -r bc bm < <(measure "$conv" "$work/big.bin" "$work/big.int")
objcopy -I ihex -O binary "$work/big.int" "$work/check.bin" && cmp -s "$work/check.bin" "$work/big.bin" ||
  { echo "WRONG OUTPUT: big.int" >&2; exit 1; }
read -r boc bom < <(measure objcopy -I binary -O ihex "$work/big.bin" "$work/big.hex")
row binary64-to-intel "$bc" "$bm" "$boc" "$bom" "conv/objcopy <= 0.6, conv_MiB <= 72 (64 MiB + 8 MiB)"

if [ -n "$baseline" ]; then
  [ -x "$baseline" ] || { echo "no baseline dravel-conv at $baseline" >&2; exit 1; }
  head -c $((16 * 1024 * 1024)) /dev/urandom >"$work/image.bin"
  objcopy -I binary -O ihex "$work/image.bin" "$work/image.int"
  objcopy -I binary -O srec --srec-forceS3 "$work/image.bin" "$work/image.s3f"
  echo
  header new old
  # Runs alternate between the two builds, so a drift of the machine's
  # speed falls on both alike.
  for task in "image.int out.bin" "image.s3f out.bin" "image.bin out.int" "image.bin out.s3f" "--info image.int"; do
    set -- $task
    args=("$work/$1")
    [ "$1" = --info ] && args=(--info "$work/$2")
    [ "$1" = --info ] || args+=("$work/$2")
    newc=() oldc=() newm=0 oldm=0
    for ((i = 0; i < samples; i++)); do
      read -r c m < <(samples=1 measure "$conv" "${args[@]}"); newc+=("$c"); newm=$m
      read -r c m < <(samples=1 measure "$baseline" "${args[@]}"); oldc+=("$c"); oldm=$m
    done
    mid=$(((samples + 1) / 2))
    row "16MiB $task" "$(printf '%s\n' "${newc[@]}" | sort -g | sed -n "${mid}p")" "$newm" \
      "$(printf '%s\n' "${oldc[@]}" | sort -g | sed -n "${mid}p")" "$oldm" "new/old <= 1.05"
  done
fi
echo "CPU seconds per run, medians of $samples samples of $repeats runs; peak resident memory in MiB."
