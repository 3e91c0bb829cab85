#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts EXECUTABLE on the display in DISPLAY, waits until its window is on
# screen, checks the window's WM_CLASS, presses Escape through XTEST and
# expects the flight to end by itself with exit status 0. An executable of
# another architecture runs under EMULATOR (qemu-user), in the same process.
# Usage: fly_and_escape.sh EXECUTABLE EXPECTED_WM_CLASS [EMULATOR...]
set -euo pipefail

if [[ $# -lt 2 || -z "$1" || -z "$2" ]]; then
  echo "usage: $0 EXECUTABLE EXPECTED_WM_CLASS [EMULATOR...]" >&2
  exit 2
fi
executable=$1
expected_class=$2
emulator=("${@:3}")
start_timeout_s=30 # llvmpipe start-up on a busy 2-core machine
if [[ ${#emulator[@]} -gt 0 ]]; then
  start_timeout_s=120 # and emulated
fi
exit_timeout_s=10

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

source "$(dirname "$0")/../../scripts/lib/flight.sh"

# No sound device is needed; SDL's dummy audio keeps start-up from needing one.
SDL_AUDIODRIVER=dummy "${emulator[@]}" "$executable" &
flight=$!
trap 'kill "$flight" 2>/dev/null || true' EXIT

window=$(flight_wait_for_window "$flight" "$start_timeout_s") ||
  fail "no window from $executable within ${start_timeout_s}s"

class=$(xprop -id "$window" WM_CLASS)
[[ "$class" == "WM_CLASS(STRING) = \"$expected_class\", \"$expected_class\"" ]] ||
  fail "window class of $executable is '$class', expected $expected_class"

status=0
flight_end_with_escape "$flight" "$exit_timeout_s" || status=$?
trap - EXIT
[[ $status -eq 0 ]] || fail "$executable ended with status $status after Escape, expected 0"
echo "ok: $executable opened its window (class $expected_class) and ended with 0 on Escape"
