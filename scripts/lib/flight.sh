# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Driving a running flight on DISPLAY, with deadlines.

# flight_wait_for_window PID [SECONDS]: prints PID's window id once it has
# one (within 10 s by default); fails if none came or the process ended.
flight_wait_for_window() {
  local pid=$1 tenths=$((${2:-10} * 10)) window _
  for _ in $(seq "$tenths"); do
    window=$(xdotool search --pid "$pid" 2>/dev/null | head -n1 || true)
    [[ -z $window ]] || { echo "$window"; return 0; }
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "no window from process $pid" >&2
  return 1
}

# flight_end_with_escape PID [SECONDS]: presses Escape, waits (5 s by default)
# for PID, a child of this shell, to end, else kills it; returns its status.
flight_end_with_escape() {
  local pid=$1 tenths=$((${2:-5} * 10)) _ status=0
  xdotool key Escape
  for _ in $(seq "$tenths"); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "process $pid did not end on Escape" >&2
    kill -KILL "$pid"
  fi
  wait "$pid" || status=$?
  return "$status"
}
