# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Benchmark tables: a row per run, kept in the build tree; its section of
# docs/benchmarks.md replaced only when asked (--publish).

# bench_row_context [MORE]: a row's first cells, "| date | commit | machine
# | release[, MORE] " (no closing bar).
bench_row_context() {
  local machine release commit
  machine="$(nproc) cores, $(LC_ALL=C sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n1)"
  release="$(. /etc/os-release && echo "$PRETTY_NAME"), $(uname -m)${1:+, $1}"
  commit=$(git describe --always --dirty 2>/dev/null || echo "?")
  printf '| %s | %s | %s | %s ' "$(date -u +%F)" "$commit" "$machine" "$release"
}

# bench_table_add TABLE HEADER ROW: appends ROW to the Markdown table in
# TABLE, started anew with HEADER when the file's header differs.
bench_table_add() {
  local table=$1 header=$2 row=$3 columns
  if [[ ! -s $table || $(head -n1 "$table") != "$header" ]]; then
    columns=$(awk -F'|' '{ print NF - 2 }' <<<"$header")
    printf '%s\n|%s\n' "$header" "$(printf -- '---|%.0s' $(seq "$columns"))" >"$table"
  fi
  echo "$row" >>"$table"
}

# bench_publish NAME SECTION_FILE: SECTION_FILE (from its "## NAME" heading
# on) replaces that section of docs/benchmarks.md, or is added at its end.
bench_publish() {
  local name=$1 section=$2 docs=docs/benchmarks.md
  [[ -f $docs ]] || printf '# Benchmarks\n' >"$docs"
  awk -v heading="## $name" -v section="$section" '
    function put() { while ((getline line < section) > 0) print line; close(section); done = 1 }
    /^## / && skipping { skipping = 0; print "" }
    $0 == heading { if (!done) { if (!blank) print ""; put() } skipping = 1; next }
    skipping { next }
    { print; blank = ($0 == "") }
    END { if (!done) { if (!blank) print ""; put() } }
  ' "$docs" >"$docs.new"
  mv "$docs.new" "$docs"
  echo "published into $docs (section \"$name\")"
}
