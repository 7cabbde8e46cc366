#!/usr/bin/env bash
# Whole-program conversion speed and memory of dravel-conv against objcopy
# and srec_cat, measured side by side in the same run on a 16 MiB random
# image: Intel HEX to binary, S-records to binary, binary to Intel HEX and
# binary to S-records, and dravel-conv --info on the Intel file against
# objcopy's Intel to binary.
# Usage: bench/convert.sh RELEASE_BUILD_DIR [SAMPLES] [REPEATS]
# Each sample times REPEATS runs of a command in a row (the timer counts in
# hundredths of a second, and one run takes a few of them); the figures are
# medians over SAMPLES. CPU time (user + system) is the steadier figure on a
# shared machine. Prints the CPU time of each tool, the ratios dravel-conv /
# objcopy (lower is better) and srec_cat / dravel-conv (how many times
# faster), the peak resident memory, and how fast dravel-conv parses its
# input. Every output is checked against the image.
set -euo pipefail
build=${1:?usage: bench/convert.sh RELEASE_BUILD_DIR [SAMPLES] [REPEATS]}
samples=${2:-5}
repeats=${3:-5}
conv="$build/tools/dravel-conv"
[ -x "$conv" ] || { echo "no dravel-conv at $conv" >&2; exit 1; }
for tool in objcopy srec_cat /usr/bin/time cmp; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/dravel-convert-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
size=$((16 * 1024 * 1024))
head -c "$size" /dev/urandom >"$work/image.bin"
objcopy -I binary -O ihex "$work/image.bin" "$work/image.hex"
objcopy -I binary -O srec --srec-forceS3 "$work/image.bin" "$work/image.s37"

# Times `samples` samples of `repeats` runs of a command; prints
# "median-wall-s median-cpu-s peak-kib", times per run.
measure() {
  local walls=() cpus=() peak=0 w u s m
  for ((i = 0; i < samples; i++)); do
    /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" \
      sh -c 'n=$1; shift; while [ "$n" -gt 0 ]; do "$@" >/dev/null || exit 1; n=$((n - 1)); done' \
      sh "$repeats" "$@" 2>"$work/stderr.txt" || { echo "FAILED: $*" >&2; cat "$work/stderr.txt" >&2; return 1; }
    read -r w u s m <"$work/time.txt"
    walls+=("$(awk -v w="$w" -v n="$repeats" 'BEGIN { printf "%.4f", w / n }')")
    cpus+=("$(awk -v u="$u" -v s="$s" -v n="$repeats" 'BEGIN { printf "%.4f", (u + s) / n }')")
    [ "$m" -gt "$peak" ] && peak=$m
  done
  local mid=$(((samples + 1) / 2))
  printf '%s %s %s\n' "$(printf '%s\n' "${walls[@]}" | sort -g | sed -n "${mid}p")" \
    "$(printf '%s\n' "${cpus[@]}" | sort -g | sed -n "${mid}p")" "$peak"
}

# Checks that `file` in `format` (objcopy's name) holds exactly the image.
check() {
  local file=$1 format=$2
  if [ "$format" = binary ]; then
    cmp -s "$file" "$work/image.bin"
  else
    objcopy -I "$format" -O binary "$file" "$work/check.bin" && cmp -s "$work/check.bin" "$work/image.bin"
  fi || { echo "WRONG OUTPUT: $file does not hold the image" >&2; exit 1; }
}

printf '%-16s %8s %8s %8s %9s %9s %8s %8s %8s %9s\n' \
  task conv_s objc_s srec_s conv/objc srec/conv conv_MiB objc_MiB srec_MiB parse_MBs
intelToBinaryCpu=
bench() {
  local task=$1 input=$2 inKey=$3 outKey=$4 objIn=$5 objOut=$6 srecIn=$7 srecOut=$8
  local out="$work/out.$outKey" cw cc cm ow oc om sw sc sm
  read -r cw cc cm < <(measure "$conv" --in-key "$inKey" --out-key "$outKey" "$input" "$out")
  check "$out" "$objOut"
  read -r ow oc om < <(measure objcopy -I "$objIn" -O "$objOut" $([ "$objOut" = srec ] && echo --srec-forceS3) "$input" "$out")
  check "$out" "$objOut"
  read -r sw sc sm < <(measure srec_cat "$input" $srecIn -o "$out" $srecOut)
  check "$out" "$objOut"
  [ "$task" = intel-to-binary ] && intelToBinaryCpu=$oc
  awk -v t="$task" -v cc="$cc" -v oc="$oc" -v sc="$sc" -v cm="$cm" -v om="$om" -v sm="$sm" \
      -v bytes="$(stat -c %s "$input")" 'function r(a, b) { return b > 0 ? a / b : 0 } BEGIN {
    printf "%-16s %8.4f %8.4f %8.4f %9.2f %9.1f %8.1f %8.1f %8.1f %9.0f\n", t, cc, oc, sc, r(cc, oc), r(sc, cc),
      cm / 1024, om / 1024, sm / 1024, r(bytes / 1e6, cc) }'
}

bench "intel-to-binary" "$work/image.hex" ext bin ihex binary "-intel" "-binary"
bench "srec-to-binary" "$work/image.s37" s3f bin srec binary "-motorola" "-binary"
bench "binary-to-intel" "$work/image.bin" bin ext binary ihex "-binary" "-intel"
bench "binary-to-srec" "$work/image.bin" bin s3f binary srec "-binary" "-motorola -address-length=4"

read -r _ ic im < <(measure "$conv" --in-key ext --info "$work/image.hex")
awk -v ic="$ic" -v oc="$intelToBinaryCpu" -v im="$im" -v bytes="$(stat -c %s "$work/image.hex")" 'BEGIN {
  printf "%-16s %8.4f %8.4f %8s %9.2f %9s %8.1f %8s %8s %9.0f\n", "info-intel", ic, oc, "-", (oc > 0 ? ic / oc : 0), "-",
    im / 1024, "-", "-", (ic > 0 ? bytes / 1e6 / ic : 0) }'
echo "CPU seconds per run, medians of $samples samples of $repeats runs; info-intel's objc_s is objcopy's Intel to binary."
echo "targets: conv/objc <= 0.5, srec/conv >= 10, conv_MiB <= 24 (the 16 MiB image + 8 MiB)"
