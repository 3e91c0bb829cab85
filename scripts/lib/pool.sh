# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# pool_fetch NAME SHA256 CACHE WORK: CACHE/NAME, a file of Debian's
# libsdl1.2 in the pool (TUBEFLIGHT_DEBIAN_MIRROR names another mirror),
# downloaded through WORK unless CACHE holds it with the pinned SHA256.
pool_fetch() {
  local name=$1 sum=$2 cache=$3 work=$4 url
  url=${TUBEFLIGHT_DEBIAN_MIRROR:-http://deb.debian.org/debian}/pool/main/libs/libsdl1.2/$name
  if [[ -f $cache/$name ]] && sha256sum --check --status <<<"$sum  $cache/$name"; then
    return 0
  fi
  echo "downloading $url" >&2
  curl --fail --silent --show-error --location --retry 3 --output "$work/$name" "$url"
  if ! sha256sum --check --status <<<"$sum  $work/$name"; then
    echo "$name does not have the pinned SHA-256 $sum" >&2
    return 1
  fi
  mkdir -p "$cache"
  mv "$work/$name" "$cache/$name"
}
