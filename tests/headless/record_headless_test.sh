#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The headless recording that scripts/run makes without a display
# (scripts/record-headless): one lap as a 640x480 H.264 video at 62.5
# frames a second, each frame of the flight once and in order, put in place
# only when whole; a run cut short by Ctrl-C leaves the last recording byte
# for byte, says so and leaves no scratch file behind.
# Usage: record_headless_test.sh RECORD_HEADLESS EXECUTABLE PROBE SCRATCH
# (on an X display, which the recording then uses)
set -euo pipefail

if [[ $# -ne 4 || -z "$1" || -z "$2" || -z "$3" || -z "$4" ]]; then
  echo "usage: $0 RECORD_HEADLESS EXECUTABLE PROBE SCRATCH" >&2
  exit 2
fi
record=$1
exe=$2
probe=$3
mkdir -p "$4"
work=$(mktemp -d "$4/record-XXXXXX")
trap 'rm -rf "$work"' EXIT
out=$work/out
lap=$out/lap.mp4
export IN_PRIVATE_XVFB=1

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# One lap.
"$record" "$exe" "$lap" "$probe" >"$work/first.txt" 2>&1 ||
  fail "the recording failed: $(cat "$work/first.txt")"
expected="recorded one lap, 360 frames, 640x480 at 62.5 fps, 0 duplicated and 0 dropped by ffmpeg, in $lap"
[[ "$(cat "$work/first.txt")" == "$expected" ]] || fail "it said: $(cat "$work/first.txt")"
stream=$(ffprobe -v error -count_frames -select_streams v \
  -show_entries stream=codec_name,width,height,r_frame_rate,nb_read_frames -of csv=p=0 "$lap")
[[ "$stream" == "h264,640,480,125/2,360" ]] ||
  fail "codec,width,height,rate,frames: $stream, not h264,640,480,125/2,360"

# Its first and last pictures are the flight's frames 1 and 360, as the
# probe reads them back (unpaced); only the encoding's loss sets them apart.
# Neighbouring frames differ by an RMSE of 0.2 or more, a picture upside
# down by 0.4.
mkdir "$work/frames"
status=0
env LD_PRELOAD="$probe" TUBEFLIGHT_PROBE_FAST_TICKS=1 TUBEFLIGHT_PROBE_FRAMES=1,360 \
  TUBEFLIGHT_PROBE_DIR="$work/frames" TUBEFLIGHT_PROBE_STOP_AFTER=360 SDL_AUDIODRIVER=dummy \
  "$exe" || status=$?
((status == 143)) || fail "the capture run ended with status $status"
for frame in 1 360; do
  picture=$work/frames/video-$frame.ppm
  ffmpeg -v error -i "$lap" -vf "select=eq(n\,$((frame - 1)))" -frames:v 1 "$picture"
  rmse=$(compare -metric RMSE "$work/frames/frame-$(printf %04d "$frame").ppm" "$picture" \
    null: 2>&1 | sed -n 's/.*(\(.*\))/\1/p' || true)
  awk -v rmse="$rmse" 'BEGIN { exit !(rmse != "" && rmse < 0.05) }' ||
    fail "picture $frame differs from the flight's frame $frame by an RMSE of $rmse"
done

# Ctrl-C in the middle of the next lap: SIGINT to the whole process group,
# as a terminal sends it.
before=$(sha256sum <"$lap")
setsid env --default-signal=INT "$record" "$exe" "$lap" "$probe" >"$work/cut.txt" 2>&1 &
group=$!
sleep 2 # the lap takes 5.76 s or more
kill -INT -- -"$group"
status=0
wait "$group" || status=$?
((status == 130)) || fail "the cut run ended with status $status"
[[ "$(cat "$work/cut.txt")" == *"interrupted; $lap is still the last complete recording"* ]] ||
  fail "the cut run said: $(cat "$work/cut.txt")"
[[ "$(sha256sum <"$lap")" == "$before" ]] || fail "the cut run changed the recording"
[[ "$(ls -A "$out")" == lap.mp4 ]] || fail "left beside the recording: $(ls -A "$out")"
echo "one lap recorded whole; a cut run kept it"
