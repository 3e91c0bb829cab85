#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the repository's shell scripts, found as git tracks them: those
# with a shell's #! line, and the sourced *.sh libraries.
# With "shellcheck", every one must pass shellcheck at warning level. With
# "arguments", each script, given an empty or absurd argument, exits with
# status 2 and a usage line, and changes nothing: it runs from a copy of the
# scripts, at home in a scratch tree whose every file is compared before and
# after, with the programs that install, download, mount or build replaced
# by guards that refuse and tell, and rm refusing anything outside the tree.
# Usage: scripts_test.sh shellcheck SOURCE_DIR
#        scripts_test.sh arguments SOURCE_DIR SCRATCH_DIR
set -euo pipefail

usage() {
  echo "usage: $0 shellcheck SOURCE_DIR | arguments SOURCE_DIR SCRATCH_DIR" >&2
  exit 2
}
case "${1-}" in
  shellcheck) [[ $# -eq 2 && -d "$2" ]] || usage ;;
  arguments) [[ $# -eq 3 && -d "$2" && -n "$3" ]] || usage ;;
  *) usage ;;
esac
check=$1
source_dir=$(realpath "$2")
export LC_ALL=C.UTF-8

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
failures=0

cd "$source_dir"
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "skip: $source_dir is not a git work tree, so its tracked scripts are unknown"
  exit 77
fi
scripts=() libraries=()
while IFS= read -r -d '' file; do
  [[ -f "$file" ]] || continue
  if [[ "$(head -c 64 "$file" | head -n1)" =~ ^#!.*(/|env\ +)(ba|da|k)?sh(\ |$) ]]; then
    scripts+=("$file")
  elif [[ "$file" == *.sh ]]; then
    libraries+=("$file")
  fi
done < <(git ls-files -z)
# The search itself is checked: these are there.
for known in scripts/install-deps scripts/fetch-classic-sdl tests/scripts/scripts_test.sh; do
  [[ " ${scripts[*]} " == *" $known "* ]] || fail "$known was not found among the tracked scripts"
done

if [[ "$check" == shellcheck ]]; then
  shellcheck --version | sed -n 's/^version: /shellcheck /p'
  shellcheck -S warning "${scripts[@]}" || fail "shellcheck warns about the scripts"
  if [[ ${#libraries[@]} -gt 0 ]]; then
    shellcheck -S warning --shell=bash "${libraries[@]}" || fail "shellcheck warns about the libraries"
  fi
  ((failures == 0)) || exit 1
  echo "ok: shellcheck -S warning passes ${#scripts[@]} scripts and ${#libraries[@]} libraries"
  exit 0
fi

# --- arguments ---------------------------------------------------------------
mkdir -p "$3"
scratch=$(mktemp -d "$(realpath "$3")/arguments-XXXXXX")
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
repo=$scratch/repo
# What the scripts say, and what the guards saw, go to log/, which is not
# compared.
log=$scratch/log
mkdir -p "$repo" "$scratch/home/.cache" "$scratch/tmp" "$scratch/work" "$scratch/guard" "$log"
cp --parents -a "${scripts[@]}" "${libraries[@]}" "$repo/"
# A tree that no script owns, shaped like what the worst slip would remove.
mkdir -p "$scratch/tree/usr/lib" "$scratch/tree/.cache"
echo canary >"$scratch/tree/usr/lib/canary"
echo canary >"$scratch/tree/.cache/canary"

# The guards: rm inside the scratch tree is rm; anything else is refused and
# written down, as is every use of the others.
cat >"$scratch/guard/guard" <<'EOF'
#!/usr/bin/env bash
name=$(basename "$0")
if [[ "$name" == rm ]]; then
  for argument in "$@"; do
    [[ "$argument" == -* ]] && continue
    path=$(realpath -m -- "$argument")
    if [[ "$path" != "$GUARD_SCRATCH"/* ]]; then
      echo "rm $*" >>"$GUARD_LOG/guarded"
      exit 97
    fi
  done
  exec /bin/rm "$@"
fi
echo "$name $*" >>"$GUARD_LOG/guarded"
exit 97
EOF
chmod +x "$scratch/guard/guard"
for name in rm sudo apt-get apt dpkg-deb curl npm mmdebstrap sbuild useradd mount chroot unshare cmake ctest cpack \
  ninja Xvfb; do
  ln -s guard "$scratch/guard/$name"
done

snapshot() {
  (cd "$scratch" && find . -path ./log -prune -o -printf '%y %m %s %p\n' | sort &&
    find . -path ./log -prune -o -type f -print0 | sort -z | xargs -0 sha256sum)
}
before=$(snapshot)
checked=()
# refuses SCRIPT ARGS...: SCRIPT, run with ARGS, refuses them and leaves
# everything as it was.
refuses() {
  local script=$1 status=0 said
  shift
  checked+=("$script")
  (cd "$scratch/work" && env HOME="$scratch/home" XDG_CACHE_HOME="$scratch/home/.cache" \
    TMPDIR="$scratch/tmp" TUBEFLIGHT_DEBIAN_MIRROR=http://127.0.0.1:9 GUARD_SCRATCH="$scratch" GUARD_LOG="$log" \
    PATH="$scratch/guard:$PATH" timeout 60 "$repo/$script" "$@") >"$log/out" 2>&1 </dev/null ||
    status=$?
  said=$(cat "$log/out")
  local call
  call="$script$(printf " '%s'" "$@")"
  [[ $status -eq 2 ]] || fail "$call ended with status $status, not 2: $said"
  [[ "$said" == *"usage: "* ]] || fail "$call gave no usage line: $said"
  if [[ -f "$log/guarded" ]]; then
    fail "$call ran: $(cat "$log/guarded")"
    rm "$log/guarded"
  fi
  local after
  after=$(snapshot)
  if [[ "$after" != "$before" ]]; then
    fail "$call changed the scratch tree: $(diff <(echo "$before") <(echo "$after"))"
    before=$after
  fi
}

# Each script given one empty argument, then the absurd arguments of some.
for script in scripts/fetch-classic-sdl scripts/install-deps scripts/test-fresh scripts/package-check \
  scripts/cross-test scripts/fetch-windows-sdl scripts/capture-frame scripts/run scripts/with-xvfb \
  data/icons/make-icons .ci/run tests/app/imports_test.sh debian/tests/flight debian/tests/metadata \
  debian/tests/classic-sdl tests/scripts/scripts_test.sh; do
  refuses "$script" ""
done
refuses scripts/fetch-classic-sdl /
refuses scripts/fetch-classic-sdl "$scratch/tree"
refuses scripts/fetch-classic-sdl "$scratch/new" ""
refuses scripts/install-deps everything
refuses scripts/test-fresh buster
refuses scripts/package-check trixie bookworm
refuses scripts/cross-test macos
refuses scripts/wine-run "" ""
refuses scripts/wine-run "$scratch/new" ""
refuses scripts/capture-frame 0
refuses scripts/record-headless "" ""
refuses scripts/record-headless "$scratch/tree" "$scratch/tree"
refuses scripts/web --port ""
refuses scripts/with-xvfb --screen "" true
refuses tests/headless/record_headless_test.sh "" "" "" ""
refuses tests/memcheck/memcheck_run.sh "" "" ""
refuses tests/package/package_test.sh "" "" "" ""
refuses tests/po/catalogues_test.sh "" "" ""
refuses tests/scripts/flash_check_test.sh "" ""
refuses tests/scripts/lint_test.sh javascript ""
refuses scripts/bench --smoke 1
refuses scripts/bench-web --smoke --publish
refuses tests/scripts/scripts_test.sh arguments "$scratch/tree" ""

# Each script is checked above, or is one whose arguments choose what to
# run, each of which is a long build or measurement.
not_run=(scripts/test scripts/bench scripts/bench-web scripts/mutants)
for script in "${scripts[@]}"; do
  [[ " ${checked[*]} ${not_run[*]} " == *" $script "* ]] ||
    fail "$script is not checked here: add how it refuses an empty argument"
done
((failures == 0)) || exit 1
echo "ok: ${#checked[@]} refused arguments, each with status 2 and a usage line, and nothing changed"
