#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the real program under valgrind's memcheck for a short flight on a
# private X server, ends it with Escape, and fails on any invalid access or
# definite leak whose innermost frame outside the allocator is the program's
# own code. Mesa, SDL, X and the loader have their own findings; those are
# not ours to fix and are only counted.
# Usage: memcheck_run.sh EXECUTABLE REPORT_SCRIPT WITH_XVFB
set -euo pipefail

if [[ $# -ne 3 || -z "$1" || -z "$2" || -z "$3" ]]; then
  echo "usage: $0 EXECUTABLE REPORT_SCRIPT WITH_XVFB" >&2
  exit 2
fi
executable=$1
report=$2
with_xvfb=$3

if [[ -z "${IN_PRIVATE_XVFB:-}" ]]; then
  export IN_PRIVATE_XVFB=1
  exec "$with_xvfb" "$0" "$@"
fi

reports=$(mktemp -d)
flight=
# The flight ends with this script, however it ends.
trap 'if [[ -n "$flight" ]]; then kill "$flight" 2>/dev/null || true; fi; rm -rf "$reports"' EXIT

SDL_AUDIODRIVER=dummy setpriv --pdeathsig KILL -- valgrind --tool=memcheck --leak-check=full \
  --show-leak-kinds=definite --num-callers=40 \
  --xml=yes --xml-file="$reports/memcheck.%p.xml" "$executable" &
flight=$!

# Start-up under memcheck is slow: llvmpipe compiles its shaders through an
# instrumented LLVM.
source "$(dirname "$with_xvfb")/lib/flight.sh"
flight_wait_for_window "$flight" 180 >/dev/null
sleep 3 # a couple of hundred frames
status=0
flight_end_with_escape "$flight" 60 || status=$?
flight=
if ((status != 0)); then
  echo "the program ended with status $status under memcheck"
  exit 1
fi
# One report per process: the program, and any helper process a library
# forks (D-Bus does).
python3 "$report" "$executable" "$reports"/*.xml
