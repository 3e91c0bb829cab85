# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# A storm of input the flight must ignore, on the current DISPLAY: sourced by
# scripts/bench, which measures the frame rate in it against the calm on
# both sides of it, and by the storm tests (tests/app, tests/windows), which
# check that the flight flies on through it.
#
# storm WINDOW SEND_WM_DELETE SECONDS [EVENTS]: batches of input at WINDOW
# for SECONDS, and on until at least EVENTS input events have been sent.
# Each batch is one xdotool run that spreads about a hundred X input events
# over some 100 ms, a few between pauses of 4 ms, so that most frames have
# input to drain and not only a few frames bursts of it: pointer moves
# inside the window, presses and releases of the three buttons and the
# wheel, and keys other than Escape (modifiers alone, letters, function and
# cursor keys); then one window-close request, sent with SEND_WM_DELETE.
# Counts the events in storm_events; fails when a batch could not be sent.
# With STORM_POINTER_ONLY set, the batches hold their pointer moves alone and
# no close request: the Windows test keeps the pointer moving while it taps
# Escape, and the storm's modifier keys could make that tap a window
# manager's shortcut (openbox's Alt+Escape lowers and unfocuses the window).
#
# storm_round EXECUTABLE PROBE SEND_WM_DELETE BASE: one flight of EXECUTABLE
# with the swap-logging PROBE: STORM_CALM_S seconds calm, STORM_S seconds of
# storm, STORM_CALM_S calm again, then Escape. The calm runs the same X
# clients asking questions instead, because on a virtual machine the mere
# coming and going of processes moves the frame timing. Leaves the swap log
# in BASE.frames and writes BASE.summary: "calm_median_ms storm_median_ms
# events_per_s".
source "$(dirname "${BASH_SOURCE[0]}")/flight.sh"

STORM_CALM_S=${STORM_CALM_S:-2.5}
STORM_S=${STORM_S:-5}
storm_keys=(a q space Return Tab F1 F12 Left Up shift ctrl alt super BackSpace Delete)

storm_now_ns() { date +%s%N; }
storm_frames() { wc -l <"$1"; }

# storm_repeat SECONDS COMMAND...: runs COMMAND again and again for SECONDS.
storm_repeat() {
  local end=$(($(storm_now_ns) + $(awk -v s="$1" 'BEGIN { printf "%d", s * 1e9 }')))
  shift
  while (($(storm_now_ns) < end)); do "$@"; done
}

storm_calm_batch() {
  local args=() i
  for ((i = 0; i < 25; ++i)); do args+=(getmouselocation sleep 0.004); done
  xdotool "${args[@]}" >/dev/null
  xdotool getwindowname "$storm_window" >/dev/null
}

storm_events=0
storm_batches=0
storm_batch() {
  local args=() i button
  for ((i = 0; i < 25; ++i)); do
    args+=(mousemove --window "$storm_window" $((20 + (storm_batches * 37 + i * 53) % 600))
      $((20 + (storm_batches * 29 + i * 41) % 440)))
    storm_events=$((storm_events + 1))
    if [[ -z "${STORM_POINTER_ONLY:-}" ]]; then
      args+=(key --delay 0 "${storm_keys[$(((storm_batches * 25 + i) % ${#storm_keys[@]}))]}")
      storm_events=$((storm_events + 2))
      if ((i % 2 == 0)); then
        button=$((1 + (storm_batches + i / 2) % 5))
        args+=(mousedown "$button" mouseup "$button")
        storm_events=$((storm_events + 2))
      fi
    fi
    args+=(sleep 0.004)
  done
  storm_batches=$((storm_batches + 1))
  if [[ -n "${STORM_POINTER_ONLY:-}" ]]; then
    xdotool "${args[@]}"
    return
  fi
  storm_events=$((storm_events + 1))
  xdotool "${args[@]}" && "$storm_send_wm_delete" "$storm_window"
}

storm() {
  local end=$(($(storm_now_ns) + $(awk -v s="$3" 'BEGIN { printf "%d", s * 1e9 }'))) status=0
  storm_window=$1 storm_send_wm_delete=$2 storm_events=0 storm_batches=0
  while (($(storm_now_ns) < end || storm_events < ${4:-0})); do
    storm_batch || status=1
  done
  return "$status"
}

# storm_median LOG FROM TO...: median interval in ms between the starts of
# consecutive frames that both lie in one of the frame ranges FROM..TO.
storm_median() {
  local log=$1
  shift
  awk -v ranges="$*" 'BEGIN { n = split(ranges, r, " ") }
    { for (i = 1; i < n; i += 2)
        if (previous_frame >= r[i] && $1 <= r[i + 1] && previous_frame > 0)
          printf "%.4f\n", ($2 - previous) / 1e6
      previous = $2; previous_frame = $1 }' "$log" | sort -g |
    awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) printf "%.2f\n", v[(NR + 1) / 2];
      else printf "%.2f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

storm_round() {
  local executable=$1 probe=$2 base=$4 pid calm_from storm_from storm_to calm_to started ended
  : >"$base.frames"
  SDL_AUDIODRIVER=dummy LD_PRELOAD="$probe" TUBEFLIGHT_PROBE_LOG="$base.frames" "$executable" &
  pid=$!
  storm_window=$(flight_wait_for_window "$pid" 20)
  while (($(storm_frames "$base.frames") < 30)) && kill -0 "$pid" 2>/dev/null; do sleep 0.05; done

  calm_from=$(storm_frames "$base.frames")
  storm_repeat "$STORM_CALM_S" storm_calm_batch
  storm_from=$(storm_frames "$base.frames")
  started=$(storm_now_ns)
  storm "$storm_window" "$3" "$STORM_S"
  ended=$(storm_now_ns)
  storm_to=$(storm_frames "$base.frames")
  storm_repeat "$STORM_CALM_S" storm_calm_batch
  calm_to=$(storm_frames "$base.frames")

  xdotool mousemove --window "$storm_window" 320 240
  flight_end_with_escape "$pid"
  printf '%s %s %s\n' \
    "$(storm_median "$base.frames" "$calm_from" "$storm_from" "$storm_to" "$calm_to")" \
    "$(storm_median "$base.frames" "$storm_from" "$storm_to")" \
    "$(awk -v e="$storm_events" -v ns="$((ended - started))" 'BEGIN { printf "%d", e / (ns / 1e9) }')" \
    >"$base.summary"
}
