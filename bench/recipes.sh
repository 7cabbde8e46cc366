#!/usr/bin/env bash
# A boot loader's build step against the same srec_cat command: fill a
# 512 KiB flash image to its end with FF, put the CRC-32 of everything before
# the last word into the last word, write Intel HEX. The application is
# 300 KiB of random bytes at 0x08000000. The target is at most 0.2 times
# srec_cat's CPU time. The two results are checked to hold the same image.
# Usage: bench/recipes.sh RELEASE_BUILD_DIR [RUNS]
set -euo pipefail
build=${1:?usage: bench/recipes.sh RELEASE_BUILD_DIR [RUNS]}
runs=${2:-20}
conv="$build/tools/dravel-conv"
[ -x "$conv" ] || { echo "no dravel-conv at $conv" >&2; exit 1; }
for tool in srec_cat; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/dravel-recipes-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
head -c $((300 * 1024)) /dev/urandom >"$work/app.bin"
srec_cat "$work/app.bin" -binary -offset 0x08000000 -o "$work/app.hex" -intel

# CPU seconds (user + system) of one run: RUNS runs under one clock, since
# a single run takes less than its resolution.
cpu_per_run() {
  /usr/bin/time -o "$work/time.txt" -f '%U %S' \
    sh -c 'n=$1; shift; for i in $(seq "$n"); do "$@" >/dev/null 2>&1; done' sh "$runs" "$@"
  awk -v n="$runs" '{print ($1 + $2) / n}' "$work/time.txt"
}

# FF is the usual fill; 00 makes every byte of the flash a written one.
for fill in ff 00; do
  peer=(srec_cat "$work/app.hex" -intel -fill "0x$fill" 0x08000000 0x0807FFFC -crc32-l-e 0x0807FFFC
        -o "$work/peer.hex" -intel)
  ours=("$conv" --fill "$fill:8000000-807fffb" --checksum-write crc32:807fffc:8000000-807fffb
        "$work/app.hex" "$work/ours.hex")
  "${peer[@]}"
  "${ours[@]}"
  "$conv" --compare "$work/ours.hex" "$work/peer.hex" ||
    { echo "WRONG OUTPUT: the image differs from srec_cat's" >&2; exit 1; }
  peerCpu=$(cpu_per_run "${peer[@]}")
  oursCpu=$(cpu_per_run "${ours[@]}")
  awk -v f="$fill" -v o="$oursCpu" -v p="$peerCpu" 'BEGIN {
    printf "fill-%s-crc32-intel: dravel-conv %.4f s, srec_cat %.4f s CPU a run: ratio %.3f (target <= 0.2)\n",
           f, o, p, (p > 0 ? o / p : 0)
  }'
done
