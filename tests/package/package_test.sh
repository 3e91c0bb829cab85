#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from a copy of the source tree as a distribution
# does (dpkg-buildpackage without its tests, which the suite has run) under
# reprotest, twice, the second varied in every way reprotest can vary it
# here, 180 characters deep: the same bytes both times. Then checks it (each
# section below says how), and runs the autopkgtests' checks of the installed
# metadata and of both flights on it unpacked into a private dpkg root.
# Needs no superuser and installs nothing on the machine. ARCH may be another
# than the machine's (a cross build, -Pcross): the programs then run under
# EMULATOR. VERSION is the project's, which the package must carry.
# Usage: package_test.sh SOURCE_DIR WORK_DIR VERSION ARCH [EMULATOR...]
set -euo pipefail

if [[ $# -lt 4 || ! -f "$1/debian/control" || -z "$2" || -z "$3" || -z "$4" ]]; then
  echo "usage: $0 SOURCE_DIR WORK_DIR VERSION ARCH [EMULATOR...]" >&2
  exit 2
fi
source_dir=$(realpath "$1")
work=$2
version=$3
arch=$4
emulator=("${@:5}")
# Every tool's words read here (dpkg-deb's listing, hardening-check's
# report, objdump's code) are read in the C locale.
export LC_ALL=C.UTF-8
rm -rf "$work"
mkdir -p "$work"

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

# --- dpkg-buildpackage under reprotest --------------------------------------
native=$(dpkg --print-architecture)
build_command='DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -us -uc -b'
if [[ "$arch" != "$native" ]]; then
  build_command+=" -a$arch -Pcross,nocheck"
fi
# Every variation reprotest makes, but those it cannot make here:
#  - user_group: a build as another user, through sudo, needs a second user
#    set up for it; this test makes no users.
#  - fileordering (disorderfs) needs FUSE, which is root's alone here.
#  - domain_host needs a UTS namespace, a user's own only through a user
#    namespace, which a chroot (scripts/test-fresh's) does not allow.
# time (faketime) is varied: the build runs no tests.
variations=+all,-user_group
skipped=user_group
if ! command -v disorderfs >/dev/null || [[ ! -r /dev/fuse || ! -w /dev/fuse ]]; then
  variations+=,-fileordering
  skipped+=" fileordering"
fi
if ! unshare --uts true 2>/dev/null && ! unshare --user --map-root-user --uts true 2>/dev/null; then
  variations+=,-domain_host
  skipped+=" domain_host"
fi
# The builds' folders are 180 characters deep or more: a long path must not
# change the package (nor break the build).
deep=$(realpath "$work")/deep
while ((${#deep} < 180)); do deep+=/deeper; done
mkdir -p "$deep" "$work/source"
git -C "$source_dir" ls-files -z --cached --others --exclude-standard |
  (cd "$source_dir" && tar --null -T - -cf -) | tar -C "$work/source" -xf -
if ! TMPDIR=$deep reprotest --variations="$variations" --min-cpus="$(nproc)" --store-dir="$work/builds" \
  -c "$build_command" "$work/source" '../tubeflight*.deb' -- null >"$work/reprotest.log" 2>&1; then
  cat "$work/reprotest.log" >&2
  find "$work/builds" -name '*.diffoscope.out' -exec cat {} + >&2 2>/dev/null || true
  echo "FAIL: the package is not reproducible, or reprotest could not build it (varied: $variations)" >&2
  exit 1
fi
deb_name=tubeflight_${version}_$arch.deb
deb=$work/builds/control/$deb_name
[[ -f "$deb" ]] || {
  echo "FAIL: dpkg-buildpackage made no $deb_name: $(ls "$work/builds/control")" >&2
  exit 1
}
begin
cmp -s "$deb" "$work/builds/experiment-1/$deb_name" || fail "two builds gave two different packages"
pass "$deb_name is the same, byte for byte, from two builds (sha256 $(sha256sum <"$deb" | cut -c1-16)…)" \
  "in folders ${#deep}+ characters deep, the second varied by reprotest ($variations; not $skipped)"

# lintian: not a single error or warning on the packages (the program's and
# its debug symbols'); its notes are shown.
begin
if lintian --fail-on error,warning --display-info --pedantic "$work/builds/control/"*.deb >"$work/lintian.log" 2>&1; then
  sed -n '/^[EWIPXO]: /p' "$work/lintian.log"
  pass "lintian passes $(cd "$work/builds/control" && echo *.deb)"
else
  cat "$work/lintian.log" >&2
  fail "lintian reports errors or warnings"
fi

begin
control() { dpkg-deb -f "$deb" "$1"; }
[[ "$(control Package)" == tubeflight ]] || fail "package is named '$(control Package)'"
[[ "$(control Section)" == games ]] || fail "package section is '$(control Section)'"
[[ "$(control Version)" == "$version" ]] || fail "package version is '$(control Version)'"
[[ "$(control Architecture)" == "$arch" ]] || fail "package architecture is '$(control Architecture)'"
description=$(control Description)
[[ $(wc -l <<<"$description") -ge 3 ]] || fail "package has no long description"
[[ "$(tr -s ' \n' ' ' <<<"$description")" == *"photosensitive epilepsy"* ]] ||
  fail "package description has no flashing-light warning"
pass "control fields checked"

# Contents: the programs, the metadata, the manual page in every language
# and Debian's documentation, owned by root, with nothing from the build
# tree besides.
begin
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort >"$work/packaged"
app_id=$(sed -n 's|.*/usr/share/metainfo/\(.*\)\.metainfo\.xml$|\1|p' "$work/packaged")
sort >"$work/expected" <<EXPECTED
-rwxr-xr-x root/root ./usr/games/tubeflight
-rwxr-xr-x root/root ./usr/games/tubeflight-fs
-rw-r--r-- root/root ./usr/share/man/man6/tubeflight.6.gz
lrwxrwxrwx root/root ./usr/share/man/man6/tubeflight-fs.6.gz
-rw-r--r-- root/root ./usr/share/applications/$app_id.desktop
-rw-r--r-- root/root ./usr/share/applications/$app_id-fs.desktop
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/$app_id.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/128x128/apps/$app_id.png
-rw-r--r-- root/root ./usr/share/metainfo/$app_id.metainfo.xml
-rw-r--r-- root/root ./usr/share/doc/tubeflight/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/tubeflight/copyright
$(for language in $(sed '/^#/d' "$source_dir/po/LINGUAS"); do
  echo "-rw-r--r-- root/root ./usr/share/man/$language/man6/tubeflight.6.gz"
  echo "lrwxrwxrwx root/root ./usr/share/man/$language/man6/tubeflight-fs.6.gz"
done)
EXPECTED
diff -u "$work/expected" "$work/packaged" >&2 || fail "package contents differ from the expected files"
pass "package contents checked"

# Depends: found by dpkg-shlibdeps, with either SDL 1.2 runtime accepted, and
# libGL, which SDL opens at run time; every clause met on this system, as
# dpkg's database says (dpkg-checkbuilddeps weighs the clauses against the
# packages of ARCH, as a cross build's).
begin
depends=$(control Depends)
[[ "$depends" == *'libsdl1.2-compat-shim (>= 1.2.60) | libsdl1.2debian (>= 1.2.15)'* ]] ||
  fail "Depends ($depends) does not take either SDL 1.2 runtime"
for needed in libc6 libgl1 libglu1-mesa libopengl0; do
  [[ "$depends" =~ (^|[ ,|])$needed([ ,]|$) ]] || fail "Depends ($depends) lacks $needed"
done
dpkg-checkbuilddeps -a "$arch" -d "$depends" /dev/null || fail "installed packages do not meet Depends ($depends)"
pass "Depends ($depends) is met by installed packages"

# --- install into a private dpkg root --------------------------------------
# The private database knows no other package; the dependencies were checked
# against the real one above.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# A private root needs no superuser: --force-not-root lets a normal user
# install into it. dpkg looks for ldconfig and start-stop-daemon in PATH,
# which for a normal user lacks the sbin directories.
dpkg_path=$PATH:/usr/local/sbin:/usr/sbin:/sbin
if [[ "$arch" != "$native" ]]; then
  PATH=$dpkg_path dpkg --root="$root" --force-not-root --add-architecture "$arch"
fi
if ! PATH=$dpkg_path dpkg --root="$root" --force-depends --force-not-root --install "$deb" \
  >"$work/dpkg.log" 2>&1; then
  cat "$work/dpkg.log" >&2
  echo "FAIL: dpkg cannot install the package" >&2
  exit 1
fi

# Hardening of the installed executables: PIE, stack protector, full RELRO
# and immediate binding, and no check that reads "no", except the fortified
# functions' (where the compiler proves every size, as on armel and
# riscv64, it calls memset itself, which hardening-check calls unprotected)
# and those of control-flow protection, which are checked in the code itself
# where the release's dpkg-buildflags gives it (Debian 13's does, Debian 12's not):
#  - x86: the program's own code must carry the indirect-branch landing
#    pads (endbr) that -fcf-protection puts at function entries; the note
#    that hardening-check reads is only set when every object linked in
#    carries it, which Debian 12's C start-up files do not.
#  - arm64: -mbranch-protection=standard puts BTI landing pads and
#    return-address signing (paciasp) in the program's own functions.
begin
gnu_type=$(dpkg-architecture -a "$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null)
objdump=objdump
if command -v "$gnu_type-objdump" >/dev/null; then
  objdump=$gnu_type-objdump
fi
landing_pads=()
if DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_HOST_ARCH=$arch dpkg-buildflags --query-features hardening |
  grep -qx 'Feature: branch'; then
  case "$(dpkg-architecture -a "$arch" -qDEB_HOST_ARCH_CPU 2>/dev/null)" in
    amd64) landing_pads=(endbr64) ;;
    arm64) landing_pads=('bti\s+c' 'paciasp') ;;
  esac
fi
for name in tubeflight tubeflight-fs; do
  binary=$root/usr/games/$name
  # Its exit status counts checks that do not apply here (branch protection
  # on x86, from devscripts 2.25 on); the lines are judged below instead.
  report=$(hardening-check --nocfprotection "$binary" 2>&1 || true)
  echo "$report"
  for check in 'Position Independent Executable' 'Stack protected' 'Read-only relocations' 'Immediate binding'; do
    grep -qE "^ $check: yes" <<<"$report" || fail "$name: $check is not yes"
  done
  noes=$(grep -E ': no\b' <<<"$report" | grep -vE '^ (Fortify Source functions|Control flow integrity|Branch Protection):' || true)
  [[ -z "$noes" ]] || fail "$name: hardening-check says $noes"
  code=$("$objdump" -d --no-show-raw-insn "$binary")
  for pad in "${landing_pads[@]}"; do
    count=$(grep -cP "\t$pad\b" <<<"$code" || true)
    ((count >= 10)) || fail "$name has $count '$pad' instructions: not built with control-flow protection"
  done
done
pass "hardening of both installed executables checked"

# What the autopkgtests check of the installed package, on the private root.
"$source_dir/debian/tests/metadata" "$root" || fail "the installed metadata"
"$source_dir/debian/tests/flight" "$root" "${emulator[@]}" || fail "the installed programs' flights"

((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }
echo "all package checks passed"
