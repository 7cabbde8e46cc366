#!/usr/bin/env bash
# Whole-program conversion speed and memory of dravel-conv against objcopy
# and srec_cat, measured side by side in the same run on a 16 MiB random
# image: Intel HEX to binary, S-records to binary, binary to Intel HEX and
# binary to S-records. Usage: bench/convert.sh RELEASE_BUILD_DIR [RUNS]
# Prints the median wall time and the peak resident memory of each tool, the
# ratio dravel-conv / objcopy (lower is better) and how many times faster
# dravel-conv is than srec_cat. Every output is checked against the image.
set -euo pipefail
build=${1:?usage: bench/convert.sh RELEASE_BUILD_DIR [RUNS]}
runs=${2:-3}
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

# Runs a command `runs` times; prints "median-seconds peak-kib".
measure() {
  local times=() peak=0 t m
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
      echo "FAILED: $*" >&2; cat "$work/stderr.txt" >&2; return 1; }
    read -r t m <"$work/time.txt"
    times+=("$t")
    [ "$m" -gt "$peak" ] && peak=$m
  done
  printf '%s %s\n' "$(printf '%s\n' "${times[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p")" "$peak"
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

printf '%-18s %10s %10s %10s %9s %9s %9s %9s %9s\n' task conv_s objcopy_s srec_cat_s conv/objc srec/conv conv_MiB objc_MiB srec_MiB
bench() {
  local task=$1 input=$2 inKey=$3 outKey=$4 objIn=$5 objOut=$6 srecIn=$7 srecOut=$8
  local out="$work/out.$outKey"
  read -r ct cm < <(measure "$conv" "$input" "$out" --in-key "$inKey" --out-key "$outKey")
  check "$out" "$objOut"
  read -r ot om < <(measure objcopy -I "$objIn" -O "$objOut" $([ "$objOut" = srec ] && echo --srec-forceS3) "$input" "$out")
  check "$out" "$objOut"
  read -r st sm < <(measure srec_cat "$input" $srecIn -o "$out" $srecOut)
  check "$out" "$objOut"
  awk -v t="$task" -v ct="$ct" -v ot="$ot" -v st="$st" -v cm="$cm" -v om="$om" -v sm="$sm" 'BEGIN {
    r = (ot > 0) ? ct / ot : 0; s = (ct > 0) ? st / ct : 0
    printf "%-18s %10.2f %10.2f %10.2f %9.2f %9.1f %9.1f %9.1f %9.1f\n", t, ct, ot, st, r, s, cm/1024, om/1024, sm/1024 }'
}

bench "intel-to-binary" "$work/image.hex" ext bin ihex binary "-intel" "-binary"
bench "srec-to-binary" "$work/image.s37" s3f bin srec binary "-motorola" "-binary"
bench "binary-to-intel" "$work/image.bin" bin ext binary ihex "-binary" "-intel"
bench "binary-to-srec" "$work/image.bin" bin s3f binary srec "-binary" "-motorola -address-length=4"
echo "targets: conv/objc <= 1.0, srec/conv >= 5, conv_MiB <= 48 (median of $runs runs, 16 MiB image)"
