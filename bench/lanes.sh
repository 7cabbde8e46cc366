#!/usr/bin/env bash
# dravel-conv --split 2 against objcopy on a 16 MiB binary image: objcopy
# needs one run per lane (-i 2 -b 0 and -i 2 -b 1), so its two runs together
# are the yardstick. The target is at most 1.5 times their CPU time. Each
# lane is checked against objcopy's.
# Usage: bench/lanes.sh RELEASE_BUILD_DIR [RUNS]
set -euo pipefail
build=${1:?usage: bench/lanes.sh RELEASE_BUILD_DIR [RUNS]}
runs=${2:-7}
conv="$build/tools/dravel-conv"
[ -x "$conv" ] || { echo "no dravel-conv at $conv" >&2; exit 1; }
for tool in objcopy farm-bench cmp; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/dravel-lanes-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
head -c $((16 * 1024 * 1024)) /dev/urandom >"$work/image.bin"

"$conv" --force --split 2 "$work/image.bin" "$work/rom.bin"
objcopy -I binary -O binary --interleave=2 --byte=0 "$work/image.bin" "$work/peer.even.bin"
objcopy -I binary -O binary --interleave=2 --byte=1 "$work/image.bin" "$work/peer.odd.bin"
cmp "$work/rom.even.bin" "$work/peer.even.bin" && cmp "$work/rom.odd.bin" "$work/peer.odd.bin" ||
  { echo "WRONG OUTPUT: the lanes differ from objcopy's" >&2; exit 1; }

farm-bench -n "$runs" \
  --vs "sh -c 'objcopy -I binary -O binary --interleave=2 --byte=0 $work/image.bin $work/peer.even.bin && objcopy -I binary -O binary --interleave=2 --byte=1 $work/image.bin $work/peer.odd.bin'" \
  -- "$conv" --force --split 2 "$work/image.bin" "$work/rom.bin"
