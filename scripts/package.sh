#!/usr/bin/env bash
# Builds the Windows release package: dist/guncelleme-VERSION-win64.zip with
# the program, BENIOKU.txt and, in licences/, the notices of the libraries
# linked into the program, and beside it the zip's SHA-256 in sha256sum's
# format. The same sources give the same zip bytes: nothing in it carries a
# time of the build or a path of this machine. Run as root on Debian 12.
#   scripts/package.sh
# Environment:
#   ZK_PACKAGE_TARGET     the program's CMake target (guncelleme)
#   ZK_PACKAGE_TESTS      ON also configures tests/, for a target defined there (OFF)
#   ZK_UPDATE_PUBLIC_KEY  the vendor's minisign public key line fixed into the program
#   SOURCE_DATE_EPOCH     the files' time in the zip (the last commit's time)
set -euo pipefail
target="${ZK_PACKAGE_TARGET:-guncelleme}"
tests="${ZK_PACKAGE_TESTS:-OFF}"

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build="build-package"
stage="$build/package"

bash scripts/install-deps.sh

# 2027.1 in the project's version is release 2027.01.
read -r major minor < <(sed -n 's/^project([A-Za-z]* VERSION \([0-9]*\)\.\([0-9]*\).*/\1 \2/p' CMakeLists.txt) || true
if [ -z "${minor:-}" ]; then
  echo "no project version in CMakeLists.txt" >&2
  exit 1
fi
version="$(printf '%d.%02d' "$major" "$minor")"
zip_name="$target-$version-win64.zip"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  # Without a repository (a source tarball), 2027-01-01 00:00 UTC.
  SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null || echo 1798761600)"
fi
# The compiler takes __DATE__ and __TIME__ from it; zip writes local times.
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C

# The windows preset's toolchain and generator, built for release at the
# optimisation level the Windows suite runs (-O2, as the preset's build):
# source paths relative to the repository (__FILE__, were any left after -s),
# no symbols. The linker's time stamp is left out by the toolchain file.
cmake --preset windows -B "$build" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DZK_BUILD_TESTS="$tests" \
  -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$root=." \
  -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s \
  -DZK_UPDATE_PUBLIC_KEY="${ZK_UPDATE_PUBLIC_KEY:-}" >/dev/null
# grep reads the whole list: with -q, ninja's broken pipe would fail the test.
if ! ninja -C "$build" -t targets all | grep "^$target: phony" >/dev/null; then
  echo "the Windows build has no target $target (a target under tests/ needs ZK_PACKAGE_TESTS=ON)" >&2
  exit 1
fi
cmake --build "$build" --target "$target" -j "$(nproc)"

rm -rf "$stage"
mapfile -t programs < <(find "$build" -name "$target.exe" -type f -not -path '*/CMakeFiles/*')
if [ "${#programs[@]}" != 1 ]; then
  echo "expected one $target.exe under $build, found ${#programs[@]}" >&2
  exit 1
fi
program="${programs[0]}"
if grep -qaF "$root" "$program"; then
  echo "$program holds the path $root of this machine" >&2
  exit 1
fi
bash scripts/check-windows-imports.sh "$build"

# Texts get Windows line ends, so that every Notepad shows them as lines; the
# Turkish one a byte-order mark, so that older ones read it as UTF-8.
windows_text() {
  sed 's/\r*$/\r/' "$1" >"$2"
}
licence_of() {
  if [ ! -f "$1" ]; then
    echo "missing licence notice $1" >&2
    exit 1
  fi
  windows_text "$1" "$stage/licences/$2"
}
mkdir -p "$stage/licences"
cp "$program" "$stage/$target.exe"
{
  printf '\357\273\277'
  sed 's/\r*$/\r/' scripts/package.d/BENIOKU.txt
} >"$stage/BENIOKU.txt"
# What -static links in: libstdc++ and libgcc (GPL 3 with the GCC Runtime
# Library Exception, whose text the copyright file holds; the GPL's own text
# is only referenced there), the mingw-w64 start-up code and C run-time glue
# and winpthreads, and libsodium.
licence_of /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright gcc-runtime.txt
licence_of /usr/share/common-licenses/GPL-3 GPL-3.txt
licence_of /usr/share/doc/mingw-w64-x86-64-dev/copyright mingw-w64.txt
licence_of /opt/zk-win64/libsodium/share/doc/libsodium/LICENSE libsodium.txt

chmod 755 "$stage/$target.exe"
find "$stage" -type f ! -name '*.exe' -exec chmod 644 {} +
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

mkdir -p dist
rm -f "dist/$zip_name" "dist/$zip_name.sha256"
# -X: no owner ids or extra time fields; -D: no folder entries; names sorted.
(cd "$stage" && find . -type f -printf '%P\n' | sort | zip -X -D -9 -q "$root/dist/$zip_name" -@)
(cd dist && sha256sum "$zip_name" >"$zip_name.sha256")

echo "package: dist/$zip_name"
echo "SHA-256: $(cut -d ' ' -f 1 "dist/$zip_name.sha256")"
