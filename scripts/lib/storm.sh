# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# A storm of input the flight must ignore, on the current DISPLAY, for
# scripts/bench and the storm tests. storm WINDOW SEND_WM_DELETE SECONDS
# [EVENTS]: for SECONDS and until EVENTS events were sent (storm_events),
# a hundred events every 100 ms, so that most frames have input to drain:
# pointer moves in WINDOW, buttons, wheel, keys but Escape, a close request
# (SEND_WM_DELETE). STORM_POINTER_ONLY: pointer moves alone (a modifier could
# make the Windows test's Escape a window manager's shortcut).
source "$(dirname "${BASH_SOURCE[0]}")/flight.sh"

STORM_S=${STORM_S:-5}
storm_keys=(a q space Return Tab F1 F12 Left Up shift ctrl alt super BackSpace Delete)

storm_batch() {
  local args=() i b=$storm_batches pointer_only=${STORM_POINTER_ONLY:-}
  for ((i = 0; i < 25; ++i)); do
    args+=(mousemove --window "$storm_window" $((20 + (b * 37 + i * 53) % 600)) $((20 + (b * 29 + i * 41) % 440)))
    if [[ -z "$pointer_only" ]]; then
      args+=(key --delay 0 "${storm_keys[$(((b * 25 + i) % ${#storm_keys[@]}))]}")
      ((i % 2)) || args+=(mousedown $((1 + (b + i / 2) % 5)) mouseup $((1 + (b + i / 2) % 5)))
    fi
    args+=(sleep 0.004)
  done
  storm_batches=$((b + 1))
  # 25 moves; or also 25 keys, 13 clicks (press, release) and the close request.
  storm_events=$((storm_events + (${#pointer_only} ? 25 : 25 + 50 + 26 + 1)))
  xdotool "${args[@]}" && { [[ -n "$pointer_only" ]] || "$storm_send_wm_delete" "$storm_window"; }
}

storm() {
  local end status=0
  end=$(date -d "+$3 seconds" +%s%N)
  storm_window=$1 storm_send_wm_delete=$2 storm_events=0 storm_batches=0
  while (($(date +%s%N) < end || storm_events < ${4:-0})); do
    storm_batch || status=1
  done
  return "$status"
}

# storm_round EXECUTABLE PROBE SEND_WM_DELETE DIR ROUND: a flight with the
# frame-logging PROBE through STORM_S s of storm, then Escape. Writes into DIR
# the intervals (ms) between the starts of consecutive frames of the storm
# (storm.ROUND.intervals) and the events a second (storm.ROUND.events).
storm_round() {
  local log=$4/storm.$5.frames pid from to started ended
  : >"$log"
  SDL_AUDIODRIVER=dummy LD_PRELOAD="$2" TUBEFLIGHT_PROBE_LOG="$log" "$1" &
  pid=$!
  storm_window=$(flight_wait_for_window "$pid" 20)
  while (($(wc -l <"$log") < 30)) && kill -0 "$pid" 2>/dev/null; do sleep 0.05; done
  from=$(wc -l <"$log") started=$(date +%s%N)
  storm "$storm_window" "$3" "$STORM_S"
  ended=$(date +%s%N) to=$(wc -l <"$log")
  xdotool mousemove --window "$storm_window" 320 240
  flight_end_with_escape "$pid"
  awk -v from="$from" -v to="$to" 'previous_frame >= from && $1 <= to && previous_frame > 0 {
    printf "%.4f\n", ($2 - previous) / 1e6 } { previous = $2; previous_frame = $1 }' "$log" >"$4/storm.$5.intervals"
  awk -v e="$storm_events" -v ns="$((ended - started))" 'BEGIN { printf "%d\n", e / (ns / 1e9) }' \
    >"$4/storm.$5.events"
}
