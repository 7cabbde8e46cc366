#!/usr/bin/env bash
# dravel-conv on the patterns the byte store must carry, against srec_cat,
# objcopy and rhash measured in the same run:
#  - 65,536 bytes scattered one per 64 KiB over the 4 GiB space (Intel HEX):
#    --info, to S-records, --compare with itself, --swap 16 and --overlay,
#    each against srec_cat doing the same job;
#  - one byte every 32,767 addresses (131,072 bytes, S-records): --info;
#  - dense random binaries of 16, 64 and 256 MiB: to Intel and S-records
#    against objcopy, --swap 16 against objcopy --reverse-bytes=2, --split 2
#    against objcopy's two --interleave runs, --checksum crc32 against rhash.
# Figures are medians over SAMPLES of CPU seconds (user + system) and peak
# resident memory in MiB; ratios below 1 mean dravel-conv is cheaper.
# Usage: bench/store.sh RELEASE_BUILD_DIR [SAMPLES]
set -euo pipefail
build=${1:?usage: bench/store.sh RELEASE_BUILD_DIR [SAMPLES]}
samples=${2:-5}
conv="$build/tools/dravel-conv"
[ -x "$conv" ] || { echo "no dravel-conv at $conv" >&2; exit 1; }
for tool in objcopy srec_cat srec_cmp rhash python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool (apt-get install srecord binutils rhash)" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/dravel-store-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# "median-cpu-s peak-MiB" of `samples` runs of a command.
measure() {
  local cpus=() peaks=() u s m
  for ((i = 0; i < samples; i++)); do
    /usr/bin/time -f "%U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" ||
      { echo "FAILED: $*" >&2; cat "$work/stderr.txt" >&2; return 1; }
    read -r u s m < <(tail -n 1 "$work/time.txt")
    cpus+=("$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%.3f", u + s }')")
    peaks+=("$(awk -v m="$m" 'BEGIN { printf "%.1f", m / 1024 }')")
  done
  local mid=$(((samples + 1) / 2))
  printf '%s %s\n' "$(printf '%s\n' "${cpus[@]}" | sort -g | sed -n "${mid}p")" \
    "$(printf '%s\n' "${peaks[@]}" | sort -g | sed -n "${mid}p")"
}

header() { printf '%-24s %8s %8s %7s %9s %9s  %s\n' task conv "$1" ratio conv_MiB "$1_MiB" target; }
# row TASK TARGET -- CONV-COMMAND -- PEER-COMMAND
row() {
  local task=$1 target=$2
  shift 3
  local ours=() peer=()
  while [ "$1" != -- ]; do ours+=("$1"); shift; done
  shift
  peer=("$@")
  read -r a am < <(measure "${ours[@]}")
  read -r b bm < <(measure "${peer[@]}")
  awk -v t="$task" -v a="$a" -v am="$am" -v b="$b" -v bm="$bm" -v target="$target" 'BEGIN {
    printf "%-24s %8.3f %8.3f %7.2f %9.1f %9.1f  %s\n", t, a, b, (b > 0 ? a / b : 0), am, bm, target }'
}

python3 - "$work" <<'EOF'
import struct, sys
work = sys.argv[1]
def ihex(records):
    out, upper = [], -1
    for addr, data in records:
        if addr >> 16 != upper:
            upper = addr >> 16
            b = bytes([2, 0, 0, 4, upper >> 8, upper & 255])
            out.append(':' + b.hex().upper() + '%02X' % (-sum(b) & 255))
        b = bytes([len(data), (addr >> 8) & 255, addr & 255, 0]) + data
        out.append(':' + b.hex().upper() + '%02X' % (-sum(b) & 255))
    return '\n'.join(out + [':00000001FF']) + '\n'
def srec(records):
    out = []
    for addr, data in records:
        b = bytes([len(data) + 5]) + struct.pack('>I', addr) + data
        out.append('S3' + b.hex().upper() + '%02X' % (~sum(b) & 255))
    return '\n'.join(out + ['S70500000000FA']) + '\n'
# No byte is 0xFF, which a save may leave out as erased.
scattered = [(i * 65536 + (i * 7919) % 65536, bytes([i % 255])) for i in range(65536)]
open(work + '/scattered.int', 'w').write(ihex(scattered))
every = [(i * 32767, bytes([(i * 31) % 255])) for i in range(131072)]
open(work + '/every.s3f', 'w').write(srec(every))
EOF
for mib in 16 64 256; do head -c $((mib * 1024 * 1024)) /dev/urandom >"$work/d$mib.bin"; done

s="$work/scattered.int"
"$conv" "$s" "$work/scattered.s3f"
srec_cmp "$work/scattered.s3f" -motorola "$s" -intel || { echo "WRONG OUTPUT: scattered.s3f" >&2; exit 1; }
echo "scattered: 65,536 bytes one per 64 KiB (peak <= 32 MiB, time <= 0.5x srec_cat)"
header srec_cat
# srec_info takes minutes on this file; srec_cat reading it is the yardstick.
row scattered-info "<= 0.5" -- "$conv" --info "$s" -- srec_cat "$s" -intel -o /dev/null
row scattered-to-srec "<= 0.5" -- "$conv" "$s" "$work/o.s3f" -- srec_cat "$s" -intel -o "$work/p.srec" -motorola
row scattered-compare "<= 0.5" -- "$conv" --compare "$s" "$s" -- srec_cmp "$s" -intel "$s" -intel
row scattered-swap16 "<= 0.5" -- "$conv" --swap 16 "$s" "$work/o.int" -- \
  srec_cat "$s" -intel -byte-swap 2 -o "$work/p.hex" -intel
row scattered-overlay "<= 0.5" -- "$conv" --overlay "$s" --overlap replace "$s" "$work/o.int" -- \
  srec_cat "$s" -intel "$s" -intel -multiple -o "$work/p.hex" -intel
e="$work/every.s3f"
row every-32767-info "MiB <= 48" -- "$conv" --info "$e" -- srec_cat "$e" -o /dev/null
row every-32767-to-intel "MiB <= 48" -- "$conv" "$e" "$work/o.int" -- srec_cat "$e" -o "$work/p.hex" -intel

echo
echo "dense binaries (CPU against the peer; peak <= image + 8 MiB)"
header peer
for mib in 16 64; do
  d="$work/d$mib.bin"
  row "bin$mib-to-intel" "<= 0.45" -- "$conv" "$d" "$work/o.int" -- objcopy -I binary -O ihex "$d" "$work/p.hex"
  row "bin$mib-to-srec" "<= 0.45" -- "$conv" "$d" "$work/o.s3f" -- \
    objcopy -I binary -O srec --srec-forceS3 "$d" "$work/p.srec"
  row "bin$mib-swap16" "<= 0.8" -- "$conv" --swap 16 "$d" "$work/o.bin" -- \
    objcopy -I binary -O binary --reverse-bytes=2 "$d" "$work/p.bin"
  row "bin$mib-split2" "<= 0.8" -- "$conv" --force --split 2 "$d" "$work/o.bin" -- \
    sh -c "objcopy -I binary -O binary --interleave=2 --byte=0 $d $work/p0.bin &&
           objcopy -I binary -O binary --interleave=2 --byte=1 $d $work/p1.bin"
done
for mib in 16 256; do
  d="$work/d$mib.bin"
  row "bin$mib-crc32" "<= 1.0" -- "$conv" --checksum crc32 "$d" -- rhash --crc32 "$d"
done
d="$work/d64.bin"
objcopy -I binary -O ihex "$d" "$work/d64.hex"
objcopy -I binary -O srec --srec-forceS3 "$d" "$work/d64.srec"
row intel64-to-bin "reads" -- "$conv" "$work/d64.hex" "$work/o.bin" -- objcopy -I ihex -O binary "$work/d64.hex" "$work/p.bin"
row srec64-to-bin "reads" -- "$conv" "$work/d64.srec" "$work/o.bin" -- objcopy -I srec -O binary "$work/d64.srec" "$work/p.bin"
