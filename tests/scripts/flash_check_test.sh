#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# scripts/flash-check on small videos made here by ffmpeg, 160x120 at the
# flight's 62.5 frames a second for two seconds: a still picture, a whole
# black/white swap at 2 Hz (within the limit) and at 10 Hz (over it), a
# square swapping at 10 Hz on 8% of the picture (within: under the area
# limit) and a dim red swap that is a red flash but no general flash.
# Usage: flash_check_test.sh FLASH_CHECK SCRATCH
set -euo pipefail

if [[ $# -ne 2 || ! -x "$1" || -z "$2" ]]; then
  echo "usage: $0 FLASH_CHECK SCRATCH" >&2
  exit 2
fi
check=$1
mkdir -p "$2"
work=$(mktemp -d "$2/flash-XXXXXX")
trap 'rm -rf "$work"' EXIT
export LC_ALL=C

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# video NAME FILTERS: two seconds of black with FILTERS applied.
video() {
  ffmpeg -nostdin -v error -f lavfi -i "color=black:s=160x120:r=125/2:d=2,format=rgb24,$2" \
    -c:v libx264rgb -qp 0 "$work/$1.mkv"
}
# Swaps the picture every 1/(2*HZ) s: geq colours R G B in the second half of each cycle.
swap() { echo "geq=r='$2*lt(mod(T*$1\,1)\,0.5)':g='$3*lt(mod(T*$1\,1)\,0.5)':b='$4*lt(mod(T*$1\,1)\,0.5)'"; }

video still "drawbox=x=20:y=20:w=60:h=40:color=white:t=fill"
video swap2 "$(swap 2 255 255 255)"
video swap10 "$(swap 10 255 255 255)"
video square10 "drawbox=x=60:y=40:w=40:h=40:color=white:t=fill:enable='lt(mod(t*10\,1)\,0.5)'"
# (149,0,0) is linear red 0.30: (R-G-B)*320 = 96 and luminance 0.064, under the 0.10 of a general flash.
video red10 "$(swap 10 149 0 0)"

# expect NAME STATUS LINES...: flash-check's exit status and lines of its report.
expect() {
  local name=$1 status=$2 got=0
  shift 2
  "$check" "$work/$name.mkv" >"$work/$name.txt" 2>&1 || got=$?
  ((got == status)) || fail "$name: status $got, not $status: $(cat "$work/$name.txt")"
  for line in "$@"; do
    grep -qxF -- "$line" "$work/$name.txt" || fail "$name: no line '$line' in: $(cat "$work/$name.txt")"
  done
}
nothing="red flash: 0.0% of the picture flashes more than 3 times in some second"
expect still 0 "general flash: 0.0% of the picture flashes more than 3 times in some second" \
  "  flashes in a sample's worst second: worst 0, median 0, 90th percentile 0" "$nothing" \
  "result: within the limit"
expect swap2 0 "general flash: 0.0% of the picture flashes more than 3 times in some second" \
  "$nothing" "result: within the limit"
# 4 or 5 changes (2 or 2.5 flashes) a second at 2 Hz, 20 or 21 at 10 Hz, as they fall on frames.
grep -qE "worst 2(.5)?, median 2(.5)?," "$work/swap2.txt" || fail "swap2: $(cat "$work/swap2.txt")"
expect swap10 1 "general flash: 100.0% of the picture flashes more than 3 times in some second" \
  "  largest area flashing more than 3 times within one second: 100.0% of the picture, limit 11.10%: OVER the limit" \
  "$nothing"
grep -qE "worst 10(.5)?, median 10(.5)?," "$work/swap10.txt" || fail "swap10: $(cat "$work/swap10.txt")"
expect square10 0 "general flash: 8.3% of the picture flashes more than 3 times in some second" \
  "  largest area flashing more than 3 times within one second: 8.3% of the picture, limit 11.10%: within the limit"
expect red10 1 "general flash: 0.0% of the picture flashes more than 3 times in some second" \
  "red flash: 100.0% of the picture flashes more than 3 times in some second"
"$check" a b >/dev/null 2>&1 && fail "two arguments were taken"
(($? == 2)) || fail "two arguments: status $?, not 2"
"$check" "$work/none.mp4" >/dev/null 2>&1 || (($? == 2)) || fail "a missing video: not status 2"
echo "flash-check: still, 2 Hz, 10 Hz, a small square and a red swap measured as expected"
