#!/bin/sh
# SPDX-License-Identifier: MIT
# Fails when an executable imports a function that writes to a stream or a
# descriptor, or opens a file (hardened builds call the _chk forms).
# Usage: imports_test.sh EXECUTABLE...
set -eu
[ $# -gt 0 ] || {
  echo "usage: $0 EXECUTABLE..." >&2
  exit 2
}
writers='^_*(printf|fprintf|vprintf|vfprintf|dprintf|vdprintf|puts|fputs|putchar|putc|fputc|fwrite|write|writev|pwrite|pwrite64|perror|psignal|syslog|vsyslog|warn|warnx|err|errx|error|open|open64|openat|openat64|fopen|fopen64|creat)(_chk|_unlocked)?$|^_ZSt[0-9]+w?c(out|err|log)$'
status=0
for exe in "$@"; do
  # The undefined dynamic symbols, without their version (printf@GLIBC_2.2.5).
  found=$(LC_ALL=C readelf --dyn-syms --wide "$exe" | awk '$7 == "UND" { sub(/@.*/, "", $8); print $8 }' |
    grep -E "$writers" || true)
  if [ -z "$(LC_ALL=C readelf --dyn-syms --wide "$exe" | awk '$8 ~ /^SDL_Init/')" ]; then
    echo "FAIL: $exe: no dynamic symbols read" >&2
    status=1
  elif [ -n "$found" ]; then
    echo "FAIL: $exe imports: $(echo "$found" | tr '\n' ' ')" >&2
    status=1
  else
    echo "ok: $exe imports no writer"
  fi
done
exit $status
