#!/usr/bin/env bash
# Installs a built tree into a scratch prefix and checks what lands there,
# then builds the Debian package, checks its control data and contents
# against that install, checks its dependencies resolve on this system,
# installs it into a private dpkg root and flies both installed executables
# on a private X server until Escape.
# Usage: package_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

source_dir=$(realpath "$1")
build_dir=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# Each group of checks starts with `begin` and ends with `pass MESSAGE`,
# which prints MESSAGE only when no check of the group failed.
group_start=0
begin() { group_start=$failures; }
pass() { ((failures > group_start)) || echo "ok: $*"; }

executables=(tubeflight tubeflight-fs)
icon_sizes=(48x48 128x128)

# --- cmake --install -------------------------------------------------------
prefix=$work/prefix
cmake --install "$build_dir" --prefix "$prefix" >"$work/install.log"

begin
expected_files=(
  bin/tubeflight
  bin/tubeflight-fs
  share/man/man6/tubeflight.6
  share/man/man6/tubeflight-fs.6
  share/applications/tubeflight.desktop
  share/applications/tubeflight-fs.desktop
)
for size in "${icon_sizes[@]}"; do
  expected_files+=("share/icons/hicolor/$size/apps/tubeflight.png")
done
for file in "${expected_files[@]}"; do
  [[ -e "$prefix/$file" ]] || fail "install is missing $file"
done
for name in "${executables[@]}"; do
  [[ -x "$prefix/bin/$name" ]] || fail "bin/$name is not executable"
done
pass "cmake --install put ${#expected_files[@]} files in place"

# Manual page: renders without a single groff warning, and both names find
# it through man's own search path.
begin
man_dir=$prefix/share/man
if command -v groff >/dev/null; then
  warnings=$(groff -man -Tutf8 -ww -z "$man_dir/man6/tubeflight.6" 2>&1)
  [[ -z "$warnings" ]] || fail "manual page has groff warnings: $warnings"
else
  echo "skip: groff not installed, manual page warnings not checked"
fi
if command -v man >/dev/null; then
  page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$man_dir/man6/tubeflight.6")
  for heading in NAME SYNOPSIS DESCRIPTION OPTIONS USAGE 'EXIT STATUS' ENVIRONMENT FILES; do
    grep -qx "$heading" <<<"$page" || fail "manual page has no $heading section"
  done
  grep -q 'Escape' <<<"$page" || fail "manual page does not say how to quit"
  version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build_dir/CPackConfig.cmake")
  grep -q "tubeflight $version" <<<"$page" || fail "manual page footer lacks version $version"
  for name in "${executables[@]}"; do
    found=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -M "$man_dir" 6 "$name" 2>&1) ||
      fail "man 6 $name finds no page"
    [[ "$found" == "$page" ]] || fail "man 6 $name is not the tubeflight page"
  done
  pass "manual page renders and is found under both names"
else
  echo "skip: man not installed, manual page not rendered"
fi

# Desktop entries: valid, starting an installed executable with an installed
# icon; the window class they announce is checked against the real window
# further down.
begin
declare -A wm_class_of
for name in "${executables[@]}"; do
  entry=$prefix/share/applications/$name.desktop
  if command -v desktop-file-validate >/dev/null; then
    report=$(desktop-file-validate "$entry" 2>&1) || fail "$name.desktop does not validate: $report"
    [[ -z "$report" ]] || fail "$name.desktop validates with remarks: $report"
  else
    echo "skip: desktop-file-validate not installed"
  fi
  field() { sed -n "s/^$1=//p" "$entry"; }
  [[ "$(field Exec)" == "$name" ]] || fail "$name.desktop runs '$(field Exec)'"
  [[ -x "$prefix/bin/$(field Exec)" ]] || fail "$name.desktop runs a program that is not installed"
  [[ "$(field Terminal)" == false ]] || fail "$name.desktop asks for a terminal"
  icon=$(field Icon)
  for size in "${icon_sizes[@]}"; do
    [[ -f "$prefix/share/icons/hicolor/$size/apps/$icon.png" ]] ||
      fail "$name.desktop names icon '$icon', which has no $size file"
  done
  wm_class_of[$name]=$(field StartupWMClass)
done
pass "desktop entries checked"

# Icons: the size their directory names, and a picture rather than a flat
# fill (they are scaled from a frame of the flight).
begin
for size in "${icon_sizes[@]}"; do
  png=$prefix/share/icons/hicolor/$size/apps/tubeflight.png
  [[ "$(identify -format '%m %wx%h' "$png")" == "PNG $size" ]] ||
    fail "icon $size is $(identify -format '%m %wx%h' "$png")"
  spread=$(identify -format '%[fx:standard_deviation > 0.1 ? 1 : 0]' "$png")
  [[ "$spread" == 1 ]] || fail "icon $size is nearly a single colour"
done
pass "icons checked"

# --- cpack -G DEB ----------------------------------------------------------
if ! cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack could not build the package" >&2
  exit 1
fi
debs=("$work"/deb/*.deb)
if [[ ${#debs[@]} -ne 1 || ! -f "${debs[0]}" ]]; then
  echo "FAIL: cpack made no single .deb: ${debs[*]}" >&2
  exit 1
fi
deb=${debs[0]}

begin
control() { dpkg-deb -f "$deb" "$1"; }
[[ "$(control Package)" == tubeflight ]] || fail "package is named '$(control Package)'"
[[ "$(control Section)" == games ]] || fail "package section is '$(control Section)'"
[[ "$(control Architecture)" == "$(dpkg --print-architecture)" ]] ||
  fail "package architecture is '$(control Architecture)'"
[[ -n "$(control Maintainer)" ]] || fail "package has no maintainer"
description=$(control Description)
[[ $(wc -l <<<"$description") -ge 3 ]] || fail "package has no long description"
[[ "$(basename "$deb")" == "tubeflight_$(control Version)_$(control Architecture).deb" ]] ||
  fail "package file is named $(basename "$deb")"
pass "$(basename "$deb"): control fields checked"

# Contents: exactly what cmake --install produces, under /usr, owned by root.
begin
(cd "$prefix" && find . -mindepth 1 ! -type d -printf '%M ./usr/%P\n' | sort) >"$work/installed"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $6 }' | sort >"$work/packaged"
diff -u "$work/installed" "$work/packaged" >&2 || fail "package contents differ from the install"
owners=$(dpkg-deb -c "$deb" | awk '{ print $2 }' | sort -u)
[[ "$owners" == root/root ]] || fail "package files are owned by $owners"
pass "package contents match the install"

# Depends: names a package for every library dpkg-shlibdeps finds the
# executables need (SDL, GL and GLU may list alternatives), at a version no
# older than it asks for.
begin
mkdir -p "$work/shlib/debian"
printf 'Source: tubeflight\n\nPackage: tubeflight\nArchitecture: any\n' >"$work/shlib/debian/control"
dpkg-deb -x "$deb" "$work/shlib"
needed=$(cd "$work/shlib" && dpkg-shlibdeps -O -eusr/bin/tubeflight -eusr/bin/tubeflight-fs 2>/dev/null)
needed=${needed#shlibs:Depends=}
depends=$(control Depends)
# A dependency alternative is "name" or "name (>= version)".
alternative_name() {
  local alternative=${1//[[:space:]]/}
  echo "${alternative%%(*}"
}
alternative_version() {
  local alternative=${1//[[:space:]]/}
  if [[ "$alternative" == *'(>='*')' ]]; then
    alternative=${alternative#*'(>='}
    echo "${alternative%)}"
  fi
}
# covers CLAUSE: true if some alternative of CLAUSE appears among the
# alternatives of Depends, with at least the version CLAUSE asks for.
covers() {
  local want have want_version have_version
  local -a wants haves
  IFS='|' read -ra wants <<<"$1"
  IFS=',|' read -ra haves <<<"$depends"
  for want in "${wants[@]}"; do
    want_version=$(alternative_version "$want")
    for have in "${haves[@]}"; do
      [[ "$(alternative_name "$have")" == "$(alternative_name "$want")" ]] || continue
      [[ -z "$want_version" ]] && return 0
      have_version=$(alternative_version "$have")
      [[ -n "$have_version" ]] && dpkg --compare-versions "$have_version" ge "$want_version" && return 0
    done
  done
  return 1
}
IFS=',' read -ra clauses <<<"$needed"
[[ ${#clauses[@]} -gt 0 ]] || fail "dpkg-shlibdeps found no libraries"
for clause in "${clauses[@]}"; do
  covers "$clause" || fail "Depends ($depends) does not cover '$clause'"
done
pass "Depends covers ${#clauses[@]} library requirements"

# apt resolves every dependency on this system (simulated, nothing installed).
if ! apt-get install --simulate "$deb" >"$work/apt.log" 2>&1; then
  cat "$work/apt.log" >&2
  fail "apt-get cannot resolve the package's dependencies"
else
  pass "apt-get resolves the dependencies"
fi

# --- install into a private dpkg root and fly ------------------------------
# The private database knows no other package; apt has checked the
# dependencies against the real one above.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# A private root needs no superuser: --force-not-root lets a normal user
# install into it.
if ! dpkg --root="$root" --force-depends --force-not-root --install "$deb" >"$work/dpkg.log" 2>&1; then
  cat "$work/dpkg.log" >&2
  echo "FAIL: dpkg cannot install the package" >&2
  exit 1
fi
begin
status=$(dpkg --root="$root" --status tubeflight | sed -n 's/^Status: //p')
[[ "$status" == "install ok installed" ]] || fail "dpkg reports '$status'"
pass "dpkg installed the package into a private root"

for name in "${executables[@]}"; do
  "$source_dir/scripts/with-xvfb" "$here/fly_and_escape.sh" \
    "$root/usr/bin/$name" "${wm_class_of[$name]}" || fail "installed $name did not fly"
done

if ((failures > 0)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all package checks passed"
