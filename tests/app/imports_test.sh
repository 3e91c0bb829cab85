#!/bin/sh
# SPDX-License-Identifier: MIT
# Fails when an executable imports a function that writes to a stream or a
# descriptor, or opens a file (hardened builds call the _chk forms), or
# imports no SDL_Init (then readelf's listing was not read as expected).
# Usage: imports_test.sh EXECUTABLE...
set -eu
usage() {
  echo "usage: $0 EXECUTABLE..." >&2
  exit 2
}
[ $# -gt 0 ] || usage
for exe in "$@"; do [ -f "$exe" ] || usage; done
writers='^_*(v?f?printf|v?dprintf|f?puts|f?putc|putchar|fwrite|p?writev?|pwrite64|perror|psignal|v?syslog|warnx?|errx?|error|open(at)?(64)?|fopen(64)?|creat)(_chk|_unlocked)?$|^_ZSt[0-9]+w?c(out|err|log)$'
status=0
for exe in "$@"; do
  # The name follows UND (ppc64el puts a [<localentry>: 8] column before it).
  imports=$(LC_ALL=C readelf --dyn-syms --wide "$exe" |
    awk '{ for (i = 1; i < NF; i++) if ($i == "UND") { sub(/@.*/, "", $(i + 1)); print $(i + 1); next } }')
  found=$(echo "$imports" | grep -E "$writers" | tr '\n' ' ' || true)
  if [ -n "$found" ] || ! echo "$imports" | grep -qx SDL_Init; then
    echo "FAIL: $exe imports: ${found:-no SDL_Init}" >&2
    status=1
  fi
done
exit $status
