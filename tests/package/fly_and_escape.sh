#!/usr/bin/env bash
# Starts EXECUTABLE on the display in DISPLAY, waits until its window is on
# screen, checks the window's WM_CLASS, presses Escape through XTEST and
# expects the flight to end by itself with exit status 0.
# Usage: fly_and_escape.sh EXECUTABLE EXPECTED_WM_CLASS
set -euo pipefail

executable=$1
expected_class=$2
start_timeout_s=30 # llvmpipe start-up on a busy 2-core machine
exit_timeout_s=10

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# No sound device is needed; SDL's dummy audio keeps start-up from needing one.
SDL_AUDIODRIVER=dummy "$executable" &
flight=$!
trap 'kill "$flight" 2>/dev/null || true' EXIT

window=
deadline=$((SECONDS + start_timeout_s))
while [[ -z "$window" ]]; do
  if ! kill -0 "$flight" 2>/dev/null; then
    status=0
    wait "$flight" || status=$?
    fail "$executable ended with status $status before its window appeared"
  fi
  ((SECONDS < deadline)) || fail "no window from $executable within ${start_timeout_s}s"
  sleep 0.05
  window=$(xdotool search --onlyvisible --pid "$flight" 2>/dev/null | head -n1) || true
done

class=$(xprop -id "$window" WM_CLASS)
[[ "$class" == "WM_CLASS(STRING) = \"$expected_class\", \"$expected_class\"" ]] ||
  fail "window class of $executable is '$class', expected $expected_class"

xdotool windowfocus --sync "$window" key Escape

deadline=$((SECONDS + exit_timeout_s))
while kill -0 "$flight" 2>/dev/null; do
  ((SECONDS < deadline)) || fail "$executable still running ${exit_timeout_s}s after Escape"
  sleep 0.05
done
status=0
wait "$flight" || status=$?
trap - EXIT
[[ $status -eq 0 ]] || fail "$executable ended with status $status after Escape, expected 0"
echo "ok: $executable opened its window (class $expected_class) and ended with 0 on Escape"
