#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs a built tree into a scratch prefix and checks what lands there
# (manual page, desktop entries, icons, AppStream metadata, licence and
# changelog, all validated), then builds the Debian package, checks its
# control data and contents against that install, has lintian pass it with
# no error or warning, checks its dependencies resolve on this system,
# installs it into a private dpkg root, checks the installed executables'
# hardening and flies both on a private X server until Escape.
# Needs no superuser. The package may be of another architecture than the
# machine's (a cross build): the executables then run under EMULATOR.
# VERSION and ARCH are the package's, as the build describes it to cpack.
# Usage: package_test.sh SOURCE_DIR BUILD_DIR VERSION ARCH [EMULATOR...]
set -euo pipefail

if [[ $# -lt 4 || ! -d "$1" || ! -f "$2/CPackConfig.cmake" || -z "$3" || -z "$4" ]]; then
  echo "usage: $0 SOURCE_DIR BUILD_DIR VERSION ARCH [EMULATOR...]" >&2
  exit 2
fi
source_dir=$(realpath "$1")
build_dir=$(realpath "$2")
version=$3
arch=$4
emulator=("${@:5}")
# Every tool's words read here (dpkg-deb's listing, AppStream's remarks,
# hardening-check's report, objdump's code) are read in the C locale.
export LC_ALL=C.UTF-8
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
# Games and demos: executables in games/, manual page in section 6.
games_dir=games

# --- cmake --install -------------------------------------------------------
prefix=$work/prefix
cmake --install "$build_dir" --prefix "$prefix" >"$work/install.log"

# The AppStream id names the metadata file, the desktop entries and the
# icons alike.
metainfos=("$prefix"/share/metainfo/*.metainfo.xml)
app_id=$(basename "${metainfos[0]}" .metainfo.xml)
[[ ${#metainfos[@]} -eq 1 && -f "${metainfos[0]}" ]] ||
  fail "install has not exactly one AppStream metadata file: ${metainfos[*]}"
[[ "$app_id" =~ ^[a-z0-9_]+(\.[a-z0-9_]+)+$ ]] || fail "AppStream id '$app_id' is not reverse-DNS"
declare -A entry_of=([tubeflight]=$app_id [tubeflight-fs]=$app_id-fs)

begin
expected_files=(
  "$games_dir/tubeflight"
  "$games_dir/tubeflight-fs"
  share/man/man6/tubeflight.6.gz
  share/man/man6/tubeflight-fs.6.gz
  "share/applications/$app_id.desktop"
  "share/applications/$app_id-fs.desktop"
  "share/metainfo/$app_id.metainfo.xml"
  share/doc/tubeflight/copyright
  share/doc/tubeflight/changelog.gz
)
for size in "${icon_sizes[@]}"; do
  expected_files+=("share/icons/hicolor/$size/apps/$app_id.png")
done
for file in "${expected_files[@]}"; do
  [[ -e "$prefix/$file" ]] || fail "install is missing $file"
done
for name in "${executables[@]}"; do
  [[ -x "$prefix/$games_dir/$name" ]] || fail "$games_dir/$name is not executable"
done
[[ ! -e "$prefix/bin" ]] || fail "install has a bin/ beside $games_dir/: $(ls "$prefix/bin")"
pass "cmake --install put ${#expected_files[@]} files in place"

# Licence and changelog: the copyright file is machine-readable and carries
# the LICENSE file's text; the changelog is Debian's format, of this version.
begin
copyright=$prefix/share/doc/tubeflight/copyright
head -n1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "copyright file is not in the machine-readable format"
grep -qx 'License: Expat' "$copyright" || fail "copyright file does not name the Expat (MIT) licence"
grep -qx 'Copyright: 2026 the tubeflight authors' "$copyright" || fail "copyright file names no holder"
# The standalone licence paragraph (the last "License:" line on), with its
# one-space indent and " ." blank lines undone, is LICENSE's permission text.
awk '/^License: Expat$/ { start = NR } { line[NR] = $0 }
  END { for (i = start + 1; i <= NR; ++i) print line[i] }' "$copyright" |
  sed 's/^ //; s/^\.$//' >"$work/copyright-licence"
sed -n '/^Permission is hereby granted/,$p' "$source_dir/LICENSE" >"$work/licence"
diff -u "$work/licence" "$work/copyright-licence" >&2 || fail "copyright file's licence text differs from LICENSE"
grep -q 'Copyright (c) 2026 the tubeflight authors' "$source_dir/LICENSE" || fail "LICENSE names no holder"
changelog_version=$(gzip -dc "$prefix/share/doc/tubeflight/changelog.gz" | dpkg-parsechangelog -l - -S Version)
[[ "$changelog_version" == "$version" ]] || fail "changelog's latest version is $changelog_version, not $version"
pass "copyright file and changelog checked"

# Manual page: compressed as Debian wants (gzip -9n: no name, no time
# stamp), renders without a single groff or man warning, says what the
# README says about running the program, and both names find it through
# man's own search path.
begin
man_dir=$prefix/share/man
page_gz=$man_dir/man6/tubeflight.6.gz
gzip -dc "$page_gz" | gzip -9n | cmp -s - "$page_gz" || fail "tubeflight.6.gz is not made by gzip -9n"
if command -v groff >/dev/null; then
  warnings=$(gzip -dc "$page_gz" | groff -man -Tutf8 -ww -z 2>&1)
  [[ -z "$warnings" ]] || fail "manual page has groff warnings: $warnings"
else
  echo "skip: groff not installed, manual page warnings not checked"
fi
if command -v man >/dev/null; then
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page_gz" 2>&1 >/dev/null)
  [[ -z "$warnings" ]] || fail "man --warnings reports: $warnings"
  page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page_gz")
  for heading in NAME SYNOPSIS WARNING DESCRIPTION OPTIONS USAGE 'EXIT STATUS' ENVIRONMENT FILES \
    DIAGNOSTICS 'SEE ALSO'; do
    grep -qx "$heading" <<<"$page" || fail "manual page has no $heading section"
  done
  exit_status=$(sed -n '/^EXIT STATUS$/,/^[A-Z]/p' <<<"$page")
  for status in 0 1 129 130 143; do
    grep -qE "^ +$status +[A-Z]" <<<"$exit_status" || fail "EXIT STATUS does not list $status"
  done
  # One line per paragraph, so that no phrase is broken or hyphenated.
  flat=$(LC_ALL=C.UTF-8 MANWIDTH=2000 man -l "$page_gz" | tr -s ' \n' ' ')
  for phrase in Escape SIGHUP SIGINT SIGTERM tubeflight-fs 'whole screen' 'one processor core fully busy' \
    SDL_VIDEODRIVER SDL_AUDIODRIVER SDL12COMPAT_OPENGL_SCALING 'XDG_RUNTIME_DIR' 'ALSA lib' \
    'photosensitive epilepsy' scripts/flash-check; do
    grep -qF -- "$phrase" <<<"$flat" || fail "manual page does not mention '$phrase'"
  done
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
  entry=$prefix/share/applications/${entry_of[$name]}.desktop
  if command -v desktop-file-validate >/dev/null; then
    report=$(desktop-file-validate "$entry" 2>&1) || fail "$name.desktop does not validate: $report"
    [[ -z "$report" ]] || fail "$name.desktop validates with remarks: $report"
  else
    echo "skip: desktop-file-validate not installed"
  fi
  field() { sed -n "s/^$1=//p" "$entry"; }
  [[ "$(field Exec)" == "$name" ]] || fail "$name.desktop runs '$(field Exec)'"
  [[ -x "$prefix/$games_dir/$(field Exec)" ]] || fail "$name.desktop runs a program that is not installed"
  [[ "$(field Terminal)" == false ]] || fail "$name.desktop asks for a terminal"
  icon=$(field Icon)
  [[ "$icon" == "$app_id" ]] || fail "$name.desktop names icon '$icon', not the AppStream id"
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
  png=$prefix/share/icons/hicolor/$size/apps/$app_id.png
  [[ "$(identify -format '%m %wx%h' "$png")" == "PNG $size" ]] ||
    fail "icon $size is $(identify -format '%m %wx%h' "$png")"
  spread=$(identify -format '%[fx:standard_deviation > 0.1 ? 1 : 0]' "$png")
  [[ "$spread" == 1 ]] || fail "icon $size is nearly a single colour"
done
pass "icons checked"

# AppStream metadata: valid without a single remark beyond the id's domain
# (the project's own is reserved, so its top-level name is unknown to the
# validator), launching both installed desktop entries, of this release,
# under the MIT licence, with a rating and a screenshot.
begin
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
report=$(appstreamcli validate --no-net --pedantic --no-color "$metainfo" 2>&1) ||
  fail "AppStream metadata does not validate: $report"
# AppStream before 1.0 (Debian 12's) does not know the <developer> element
# that 1.0 asks for instead of <developer_name>, and says so.
known_remarks="^I: $app_id:[0-9]*: cid-maybe-not-rdns $app_id\$"
# (the validator's version, as dpkg knows its package)
appstream_version=$(LC_ALL=C dpkg-query -W -f='${Version}\n' appstream | head -n1)
if dpkg --compare-versions "$appstream_version" lt 1.0; then
  known_remarks+="|^I: $app_id:[0-9]*: unknown-tag developer\$"
fi
remarks=$(grep -E '^[EWIP]: ' <<<"$report" | grep -vE "$known_remarks" || true)
[[ -z "$remarks" ]] || fail "AppStream metadata validates with remarks: $remarks"
xml() { xmllint --xpath "$1" "$metainfo" 2>/dev/null; }
[[ "$(xml 'string(/component/id)')" == "$app_id" ]] || fail "metadata id is not $app_id"
[[ "$(xml 'string(/component/@type)')" == desktop-application ]] || fail "metadata is not a desktop-application"
[[ "$(xml 'string(/component/project_license)')" == MIT ]] || fail "project licence is not MIT"
[[ -n "$(xml 'string(/component/metadata_license)')" ]] || fail "metadata has no licence of its own"
for name in "${executables[@]}"; do
  [[ "$(xml "count(/component/launchable[@type='desktop-id'][.='${entry_of[$name]}.desktop'])")" == 1 ]] ||
    fail "metadata does not launch ${entry_of[$name]}.desktop"
done
[[ "$(xml 'string(/component/releases/release[1]/@version)')" == "$version" ]] ||
  fail "metadata's latest release is not $version"
[[ "$(xml 'count(/component/content_rating[@type])')" == 1 ]] || fail "metadata has no content rating"
[[ "$(xml 'normalize-space(/component/description/p[1])')" == *"photosensitive epilepsy"* ]] ||
  fail "metadata's description does not open with the flashing-light warning"
[[ "$(xml 'count(/component/categories/category)')" -ge 1 ]] || fail "metadata has no category"
[[ "$(xml 'string(/component/screenshots/screenshot[@type="default"]/image)')" == https://* ]] ||
  fail "metadata has no default screenshot at an https address"
pass "AppStream metadata validated"

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
[[ "$(control Version)" == "$version" ]] || fail "package version is '$(control Version)'"
[[ "$(control Architecture)" == "$arch" ]] ||
  fail "package architecture is '$(control Architecture)'"
[[ -n "$(control Maintainer)" ]] || fail "package has no maintainer"
description=$(control Description)
[[ $(wc -l <<<"$description") -ge 3 ]] || fail "package has no long description"
[[ "$(tr -s ' \n' ' ' <<<"$description")" == *"photosensitive epilepsy"* ]] ||
  fail "package description has no flashing-light warning"
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
needed=$(cd "$work/shlib" && DEB_HOST_ARCH=$arch dpkg-shlibdeps -O "-eusr/$games_dir/tubeflight" "-eusr/$games_dir/tubeflight-fs" 2>/dev/null)
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

# Every dependency is met on this system: some alternative of each clause is
# installed, at the version asked for. Read from dpkg's database; the test
# neither installs nor fetches anything.
installed_version() {
  local name=$1 status
  for status in "$(dpkg-query -W -f='${Status}\t${Version}' "$name:$arch" 2>/dev/null)" \
    "$(dpkg-query -W -f='${Status}\t${Version}' "$name" 2>/dev/null)"; do
    if [[ "$status" == 'install ok installed'$'\t'* ]]; then
      echo "${status#*$'\t'}"
      return 0
    fi
  done
  return 1
}
met() {
  local alternative version have
  local -a alternatives
  IFS='|' read -ra alternatives <<<"$1"
  for alternative in "${alternatives[@]}"; do
    have=$(installed_version "$(alternative_name "$alternative")") || continue
    version=$(alternative_version "$alternative")
    [[ -z "$version" ]] && return 0
    dpkg --compare-versions "$have" ge "$version" && return 0
  done
  return 1
}
begin
IFS=',' read -ra clauses <<<"$depends"
for clause in "${clauses[@]}"; do
  met "$clause" || fail "no installed package meets the dependency '$clause'"
done
pass "every dependency is met by an installed package"

# lintian: not a single error or warning; its notes are shown.
begin
if lintian --fail-on error,warning --display-info --pedantic "$deb" >"$work/lintian.log" 2>&1; then
  sed -n '/^[EWIPXO]: /p' "$work/lintian.log"
  pass "lintian passes $(basename "$deb")"
else
  cat "$work/lintian.log" >&2
  fail "lintian reports errors or warnings"
fi

# --- install into a private dpkg root and fly ------------------------------
# The private database knows no other package; the dependencies were checked
# against the real one above.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# A private root needs no superuser: --force-not-root lets a normal user
# install into it. dpkg looks for ldconfig and start-stop-daemon in PATH,
# which for a normal user lacks the sbin directories.
dpkg_path=$PATH:/usr/local/sbin:/usr/sbin:/sbin
if [[ "$arch" != "$(dpkg --print-architecture)" ]]; then
  PATH=$dpkg_path dpkg --root="$root" --force-not-root --add-architecture "$arch"
fi
if ! PATH=$dpkg_path dpkg --root="$root" --force-depends --force-not-root --install "$deb" \
  >"$work/dpkg.log" 2>&1; then
  cat "$work/dpkg.log" >&2
  echo "FAIL: dpkg cannot install the package" >&2
  exit 1
fi
begin
status=$(PATH=$dpkg_path dpkg --root="$root" --status tubeflight | sed -n 's/^Status: //p')
[[ "$status" == "install ok installed" ]] || fail "dpkg reports '$status'"
pass "dpkg installed the package into a private root"

# Hardening of the installed executables: PIE, stack protector, full RELRO
# and immediate binding, and no check that reads "no", except those of
# control-flow protection, which differs by architecture and is checked in
# the code itself:
#  - x86: the note that marks a program as protected (hardening-check's
#    "Control flow integrity") is only set when every object linked into it
#    carries it, and Debian 12's C start-up files (Scrt1.o, crti.o, crtn.o)
#    do not, so no program linked on Debian 12 has it. Instead the program's
#    own code must carry the indirect-branch landing pads (endbr) that
#    -fcf-protection puts at function entries. Branch protection is arm64's:
#    hardening-check from devscripts 2.25 on reports it as "no" on x86.
#  - arm64: -mbranch-protection=standard puts BTI landing pads and
#    return-address signing (paciasp) in the program's own functions, and
#    hardening-check (from devscripts 2.25, which knows it) must find
#    branch protection.
begin
gnu_type=$(dpkg-architecture -a "$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null)
objdump=objdump
if command -v "$gnu_type-objdump" >/dev/null; then
  objdump=$gnu_type-objdump
fi
case "$(dpkg-architecture -a "$arch" -qDEB_HOST_ARCH_CPU 2>/dev/null)" in
  amd64) landing_pads=(endbr64) ;;
  i386) landing_pads=(endbr32) ;;
  arm64) landing_pads=('bti\s+c' 'paciasp') ;;
  *) landing_pads=() ;;
esac
for name in "${executables[@]}"; do
  binary=$root/usr/$games_dir/$name
  # Its exit status counts checks that do not apply here (branch protection
  # on x86, from devscripts 2.25 on); the lines are judged below instead.
  report=$(hardening-check --nocfprotection "$binary" 2>&1 || true)
  echo "$report"
  for check in 'Position Independent Executable' 'Stack protected' 'Read-only relocations' 'Immediate binding'; do
    grep -qE "^ $check: yes" <<<"$report" || fail "$name: $check is not yes"
  done
  noes=$(grep -E ': no\b' <<<"$report" | grep -vE '^ (Control flow integrity|Branch Protection):' || true)
  [[ -z "$noes" ]] || fail "$name: hardening-check says $noes"
  if [[ "$arch" == arm64 ]] && grep -q '^ Branch Protection:' <<<"$report"; then
    grep -q '^ Branch Protection: yes' <<<"$report" || fail "$name: branch protection is not yes"
  fi
  code=$("$objdump" -d --no-show-raw-insn "$binary")
  for pad in "${landing_pads[@]}"; do
    count=$(grep -cP "\t$pad\b" <<<"$code" || true)
    ((count >= 10)) || fail "$name has $count '$pad' instructions: not built with control-flow protection"
  done
done
pass "hardening of both installed executables checked"

for name in "${executables[@]}"; do
  "$source_dir/scripts/with-xvfb" "$here/fly_and_escape.sh" \
    "$root/usr/$games_dir/$name" "${wm_class_of[$name]}" "${emulator[@]}" ||
    fail "installed $name did not fly"
done

if ((failures > 0)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all package checks passed"
