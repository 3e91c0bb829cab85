#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Lints the repository's JavaScript (every tracked .js and .mjs, with ESLint
# and tests/web/eslint.config.mjs) or Python (every tracked .py, with
# pyflakes). First it checks the linter itself: code with an undefined name,
# and code with an unused import, must fail.
# Usage: lint_test.sh javascript|python SOURCE_DIR
set -euo pipefail

usage() {
  echo "usage: $0 javascript|python SOURCE_DIR" >&2
  exit 2
}
[[ $# -eq 2 && ($1 == javascript || $1 == python) && -d $2 ]] || usage
language=$1
export LC_ALL=C.UTF-8
cd "$2"
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "skip: $2 is not a git work tree, so its tracked files are unknown"
  exit 77
fi

if [[ $language == javascript ]]; then
  eslint=tests/web/node_modules/.bin/eslint
  if [[ ! -x $eslint ]]; then
    echo "FAIL: no $eslint: scripts/install-deps unit installs it" >&2
    exit 1
  fi
  # lint FILE...: ESLint on the files; with no file, on standard input.
  lint() {
    local config=(--config tests/web/eslint.config.mjs)
    if [[ $# -eq 0 ]]; then
      "$eslint" "${config[@]}" --stdin --stdin-filename planted.mjs
    else
      "$eslint" "${config[@]}" "$@"
    fi
  }
  mapfile -t files < <(git ls-files '*.js' '*.mjs')
  undefined_name='export function f() { return undefinedName; }'
  unused_import="import { join } from 'node:path'; export const x = 1;"
else
  lint() { pyflakes3 "$@"; }
  mapfile -t files < <(git ls-files '*.py')
  undefined_name=$'def f():\n    return undefined_name'
  unused_import=$'import os\nx = 1'
fi

for planted in "$undefined_name" "$unused_import"; do
  if lint <<<"$planted" >/dev/null 2>&1; then
    echo "FAIL: the $language linter passes: $planted" >&2
    exit 1
  fi
done
if [[ ${#files[@]} -lt 2 ]]; then
  echo "FAIL: found only ${#files[@]} tracked $language files" >&2
  exit 1
fi
lint "${files[@]}"
echo "ok: ${#files[@]} $language files lint clean"
