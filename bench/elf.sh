#!/usr/bin/env bash
# ELF to Intel HEX: dravel-conv against objcopy -O ihex on a 1 MiB
# Cortex-M-like image (code and constants in flash at 08000000, .data run
# in RAM at 20000000 and loaded in flash after them), in the same run.
# Built with arm-none-eabi-as/ld when installed, else with the host's.
# Usage: bench/elf.sh RELEASE_BUILD_DIR [SAMPLES]
# Prints the median CPU time (user + system) of each over SAMPLES runs of
# five conversions, the ratio dravel-conv / objcopy (lower is better) and
# peak memory; both outputs are checked to hold the same bytes.
set -euo pipefail
build=${1:?usage: bench/elf.sh RELEASE_BUILD_DIR [SAMPLES]}
samples=${2:-5}
conv="$build/tools/dravel-conv"
[ -x "$conv" ] || { echo "no dravel-conv at $conv" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/dravel-elf-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

prefix=""; as_flags="--32"; ld_flags="-m elf_i386"
if command -v arm-none-eabi-as >/dev/null; then prefix="arm-none-eabi-"; as_flags="-mthumb"; ld_flags=""; fi
head -c $((1024 * 1024 - 4096)) /dev/urandom >"$work/code.bin"
head -c 4096 /dev/urandom >"$work/data.bin"
cat >"$work/fw.s" <<ASM
.text
.globl Reset_Handler
Reset_Handler: .incbin "$work/code.bin"
.data
.incbin "$work/data.bin"
ASM
cat >"$work/fw.ld" <<LD
MEMORY { FLASH (rx) : ORIGIN = 0x08000000, LENGTH = 2M
 RAM (rwx) : ORIGIN = 0x20000000, LENGTH = 64K }
ENTRY(Reset_Handler)
SECTIONS { .text : { *(.text*) } > FLASH
 .data : { *(.data*) } > RAM AT > FLASH
 .bss : { *(.bss*) } > RAM }
LD
"${prefix}as" $as_flags -o "$work/fw.o" "$work/fw.s"
"${prefix}ld" $ld_flags -T "$work/fw.ld" -o "$work/fw.elf" "$work/fw.o"
objcopy_tool="${prefix}objcopy"

measure() {
  local cpus=() peak=0 u s m
  for ((i = 0; i < samples; i++)); do
    /usr/bin/time -f "%U %S %M" -o "$work/time.txt" \
      sh -c 'for n in 1 2 3 4 5; do "$@" >/dev/null || exit 1; done' sh "$@"
    read -r u s m <"$work/time.txt"
    cpus+=("$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%.4f", (u + s) / 5 }')")
    [ "$m" -gt "$peak" ] && peak=$m
  done
  printf '%s %s\n' "$(printf '%s\n' "${cpus[@]}" | sort -g | sed -n "$(((samples + 1) / 2))p")" "$peak"
}

read -r ours ours_kib < <(measure "$conv" "$work/fw.elf" "$work/ours.int")
read -r peer peer_kib < <(measure "$objcopy_tool" -O ihex "$work/fw.elf" "$work/peer.hex")
objcopy -I ihex -O binary "$work/ours.int" "$work/ours.bin"
objcopy -I ihex -O binary "$work/peer.hex" "$work/peer.bin"
cmp -s "$work/ours.bin" "$work/peer.bin" || { echo "WRONG OUTPUT: the images differ" >&2; exit 1; }
printf 'elf %s (%s bytes) to Intel HEX, cpu s per run: dravel-conv %s objcopy %s ratio %s; peak KiB %s / %s\n' \
  "${prefix:-host }" "$(stat -c %s "$work/fw.elf")" "$ours" "$peer" \
  "$(awk -v a="$ours" -v b="$peer" 'BEGIN { printf "%.2f", a / b }')" "$ours_kib" "$peer_kib"
