#!/usr/bin/env bash
# Fetches Debian's source package of libjpeg-turbo (the JPEG decoder linked into Pictavo.scr) into
# .deps/libjpeg-turbo and checks the upstream tarball against the checksum its .dsc gives.
# CMake unpacks and builds it for each toolchain; nothing of it goes into the repository.
# Adds a deb-src entry of its own for the machine's Debian suite when apt has none.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dest=${PICTAVO_DEPS_DIR:-$root/.deps}/libjpeg-turbo
mkdir -p "$dest"

have_tarball() {
  local dsc
  dsc=$(ls "$dest"/libjpeg-turbo_*.dsc 2>/dev/null | sort -V | tail -n 1) || return 1
  [ -n "$dsc" ] || return 1
  verify "$dsc" >/dev/null 2>&1
}

# Every file the .dsc lists must be present with the SHA-256 it states.
verify() {
  local dsc=$1 dir n=0
  dir=$(dirname "$dsc")
  while read -r sum size name; do
    [ -n "${name:-}" ] || continue
    [ -f "$dir/$name" ] || { echo "missing $name" >&2; return 1; }
    [ "$(stat -c %s "$dir/$name")" = "$size" ] || { echo "wrong size: $name" >&2; return 1; }
    echo "$sum  $dir/$name" | sha256sum -c --quiet - || return 1
    n=$((n + 1))
  done < <(sed -n '/^Checksums-Sha256:/,/^[^ ]/{/^ /p}' "$dsc")
  [ "$n" -gt 0 ] || { echo "no checksums in $dsc" >&2; return 1; }
  echo "verified $n files of $(basename "$dsc")"
}

if have_tarball; then
  exit 0
fi

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# A source entry for the suite the machine runs, only when apt has no deb-src line at all.
if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  . /etc/os-release
  suite=${VERSION_CODENAME:-bookworm}
  echo "Adding a deb-src entry for $suite (/etc/apt/sources.list.d/pictavo-deb-src.sources)"
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$suite" | "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/pictavo-deb-src.sources >/dev/null
  "${sudo_cmd[@]}" apt-get update -q
fi

cd "$dest"
if ! apt-get source --download-only -q libjpeg-turbo; then
  "${sudo_cmd[@]}" apt-get update -q
  apt-get source --download-only -q libjpeg-turbo
fi
dsc=$(ls "$dest"/libjpeg-turbo_*.dsc | sort -V | tail -n 1)
verify "$dsc"
