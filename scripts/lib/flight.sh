# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Shell helpers for driving a running flight on the current DISPLAY.
# Source this file; the functions poll with deadlines and never wait forever.

# Waits until process PID has a window (its caption is set at start-up), for
# at most SECONDS (default 10). Prints the window id; fails if none came or
# the process ended.
flight_wait_for_window() {
  local pid=$1 tenths=$((${2:-10} * 10)) window _
  for _ in $(seq "$tenths"); do
    window=$(xdotool search --pid "$pid" 2>/dev/null | head -n1 || true)
    if [[ -n "$window" ]]; then
      echo "$window"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "no window from process $pid" >&2
  return 1
}

# Presses Escape and waits up to SECONDS (default 5) for process PID, a child
# of this shell, to end; kills it if it does not. Returns its exit status.
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
