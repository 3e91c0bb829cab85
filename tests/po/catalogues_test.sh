#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks po/: the template holds exactly the messages of today's sources,
# written anew into SCRATCH_DIR/tubeflight.pot by COMMAND (update-po's own,
# cmake/po-template.cmake); and every catalogue of po/LINGUAS passes
# msgfmt's checks and holds every message of the template, translated and
# none of them fuzzy.
# Usage: catalogues_test.sh SOURCE_DIR SCRATCH_DIR COMMAND...
set -euo pipefail

if [[ $# -lt 3 || ! -f "$1/po/LINGUAS" || -z "$2" ]]; then
  echo "usage: $0 SOURCE_DIR SCRATCH_DIR COMMAND..." >&2
  exit 2
fi
po=$1/po
scratch=$2
shift 2
# msgfmt's statistics are read here, in the C locale: LANGUAGE goes too,
# for gettext prefers it to a C.UTF-8 locale.
export LC_ALL=C.UTF-8
unset LANGUAGE

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The template: the same messages both ways (its date and the messages'
# line numbers may differ).
rm -rf "$scratch"
mkdir -p "$scratch"
"$@" >"$scratch/command.log" 2>&1 || {
  cat "$scratch/command.log" >&2
  echo "FAIL: the template could not be written from the sources" >&2
  exit 1
}
fresh=$scratch/tubeflight.pot
if msgcmp --use-untranslated "$fresh" "$po/tubeflight.pot" &&
  msgcmp --use-untranslated "$po/tubeflight.pot" "$fresh"; then
  echo "ok: po/tubeflight.pot holds the messages of the sources"
else
  fail "po/tubeflight.pot is not the sources' (build the target update-po)"
fi

# The catalogues: msgcmp names a message that is missing, untranslated or
# fuzzy; msgfmt counts them.
# po/LINGUAS as msgfmt reads it: whitespace-separated, a line that starts
# with # a comment.
mapfile -t languages < <(sed '/^#/d' "$po/LINGUAS" | tr -s '[:space:]' '\n' | grep .)
((${#languages[@]} > 0)) || fail "po/LINGUAS names no language"
for language in "${languages[@]}"; do
  catalogue=$po/$language.po
  msgcmp "$catalogue" "$po/tubeflight.pot" || fail "$language.po lacks translations of the template's messages"
  if statistics=$(msgfmt --check --statistics -o /dev/null "$catalogue" 2>&1); then
    [[ "$statistics" =~ ^[0-9]+\ translated\ messages?\.$ ]] || fail "$language.po: $statistics"
  else
    fail "msgfmt --check fails on $language.po: $statistics"
  fi
  echo "$language: $statistics"
done

((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }
echo "ok: ${#languages[@]} catalogues complete"
