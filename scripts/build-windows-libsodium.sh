#!/usr/bin/env bash
# Builds libsodium for the Windows build from Debian's source package, with
# the same MinGW-w64 cross compiler, as a static library under one prefix
# (ZK_WIN64_LIBSODIUM, /opt/zk-win64/libsodium by default), with its licence
# text in share/doc/libsodium/LICENSE for the release package. Does nothing
# when that version and its licence are already there.
set -euo pipefail

version=1.0.18
prefix="${ZK_WIN64_LIBSODIUM:-/opt/zk-win64/libsodium}"
stamp="$prefix/.zk-version"
licence="$prefix/share/doc/libsodium/LICENSE"

built=0
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ] && [ -f "$prefix/lib/libsodium.a" ]; then
  built=1
fi
if [ "$built" = 1 ] && [ -f "$licence" ]; then
  exit 0
fi

# The machine's package sources carry binaries only: one more file adds
# Debian's source packages for the same release.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ &&
  ! grep -qs '^deb-src' /etc/apt/sources.list; then
  cat >/etc/apt/sources.list.d/zk-debian-src.sources <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  apt-get update -qq
fi
# Debian's upstream tarball has no configure script: autogen.sh makes it.
tools=()
for p in dpkg-dev autoconf automake libtool; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || tools+=("$p")
done
if [ "${#tools[@]}" -gt 0 ]; then
  apt-get install -y -qq --no-install-recommends "${tools[@]}"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
# apt's download user must be able to write here.
chmod 755 "$work"
apt-get source -qq --download-only "libsodium=$version*" >/dev/null 2>&1 ||
  apt-get source -qq --download-only libsodium >/dev/null
dpkg-source -x --no-check ./*.dsc src >/dev/null
cd src
# A library built before the licence was kept needs only the licence.
if [ "$built" = 0 ]; then
  ./autogen.sh -s >/dev/null 2>&1 || ./autogen.sh
  ./configure -q --host=x86_64-w64-mingw32 --disable-shared --enable-static --with-pic \
    --prefix="$prefix" CC=x86_64-w64-mingw32-gcc-posix CFLAGS="-O2"
  make -s -j2
  make -s install
fi
install -D -m 644 LICENSE "$licence"
echo "$version" >"$stamp"
