# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# pool_fetch NAME SHA256 CACHE WORK: CACHE/NAME, a file of Debian's libsdl1.2
# in the pool (TUBEFLIGHT_DEBIAN_MIRROR: another mirror), downloaded through
# WORK unless CACHE holds it with the pinned SHA256.
pool_fetch() {
  local url=${TUBEFLIGHT_DEBIAN_MIRROR:-http://deb.debian.org/debian}/pool/main/libs/libsdl1.2/$1
  ! sha256sum --check --status <<<"$2  $3/$1" 2>/dev/null || return 0
  echo "downloading $url" >&2
  curl --fail --silent --show-error --location --retry 3 --output "$4/$1" "$url"
  sha256sum --check --status <<<"$2  $4/$1" || { echo "$1 does not have the pinned SHA-256 $2" >&2; return 1; }
  mkdir -p "$3"
  mv "$4/$1" "$3/$1"
}
