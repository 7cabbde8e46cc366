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

# Runs a command `runs` times; prints "median-wall-s median-cpu-s peak-kib".
# On a shared machine the CPU time (user + system) is the steadier figure.
measure() {
  local walls=() cpus=() peak=0 w u s m
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
      echo "FAILED: $*" >&2; cat "$work/stderr.txt" >&2; return 1; }
    read -r w u s m <"$work/time.txt"
    walls+=("$w")
    cpus+=("$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%.2f", u + s }')")
    [ "$m" -gt "$peak" ] && peak=$m
  done
  local mid=$(((runs + 1) / 2))
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

printf '%-16s %-7s %6s %6s %6s %10s %10s %8s %8s %8s\n' task figure conv objcopy srec_cat conv/objc srec/conv conv_MiB objc_MiB srec_MiB
bench() {
  local task=$1 input=$2 inKey=$3 outKey=$4 objIn=$5 objOut=$6 srecIn=$7 srecOut=$8
  local out="$work/out.$outKey" cw cc cm ow oc om sw sc sm
  read -r cw cc cm < <(measure "$conv" --in-key "$inKey" --out-key "$outKey" "$input" "$out")
  check "$out" "$objOut"
  read -r ow oc om < <(measure objcopy -I "$objIn" -O "$objOut" $([ "$objOut" = srec ] && echo --srec-forceS3) "$input" "$out")
  check "$out" "$objOut"
  read -r sw sc sm < <(measure srec_cat "$input" $srecIn -o "$out" $srecOut)
  check "$out" "$objOut"
  awk -v t="$task" -v cw="$cw" -v cc="$cc" -v ow="$ow" -v oc="$oc" -v sw="$sw" -v sc="$sc" \
      -v cm="$cm" -v om="$om" -v sm="$sm" 'function r(a, b) { return b > 0 ? a / b : 0 } BEGIN {
    f = "%-16s %-7s %6.2f %6.2f %6.2f %10.2f %10.1f"
    printf f " %8.1f %8.1f %8.1f\n", t, "wall s", cw, ow, sw, r(cw, ow), r(sw, cw), cm/1024, om/1024, sm/1024
    printf f "\n", "", "cpu s", cc, oc, sc, r(cc, oc), r(sc, cc) }'
}

bench "intel-to-binary" "$work/image.hex" ext bin ihex binary "-intel" "-binary"
bench "srec-to-binary" "$work/image.s37" s3f bin srec binary "-motorola" "-binary"
bench "binary-to-intel" "$work/image.bin" bin ext binary ihex "-binary" "-intel"
bench "binary-to-srec" "$work/image.bin" bin s3f binary srec "-binary" "-motorola -address-length=4"
echo "targets: conv/objc <= 1.0, srec/conv >= 5, conv_MiB <= 48 (median of $runs runs, 16 MiB image)"
