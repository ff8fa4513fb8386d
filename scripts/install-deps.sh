#!/usr/bin/env bash
# Installs, with apt, whatever the build and the tests need and this machine lacks.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for p in cmake ninja-build g++ clang libclang-rt-14-dev googletest \
         g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
         wine wine64 xvfb xauth xdotool imagemagick fonts-wine fonts-liberation \
         libjpeg-turbo-progs x11-apps rsync procps nsis zip unzip file nasm patch \
         xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils libxrandr2; do
  have_pkg "$p" || need+=("$p")
done
# The 32-bit build's tests need 32-bit Wine (and a kernel that runs 32-bit programs), with the X libraries
# it loads at run time, which it only recommends: without the RandR one it sees a single monitor.
i386=(wine32 libxrandr2 libxinerama1 libxrender1 libxcursor1 libxi6 libxcomposite1 libxfixes3)
for p in "${i386[@]}"; do
  if ! dpkg --print-foreign-architectures | grep -qx i386 || ! have_pkg "$p:i386"; then need+=("$p:i386"); fi
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  if printf '%s\n' "${need[@]}" | grep -q ':i386$'; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${need[@]}"
fi

# The JPEG decoder's source, from Debian's own source package.
bash "$(dirname "$0")/fetch-libjpeg-turbo.sh"
