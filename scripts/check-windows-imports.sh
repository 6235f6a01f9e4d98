#!/usr/bin/env bash
# Checks that every Windows executable and library of a build imports only
# Windows' own DLLs: the compiler's run-time libraries must be linked in.
#   check-windows-imports.sh BUILD_DIR
set -euo pipefail
build="$1"
objdump=x86_64-w64-mingw32-objdump
# Windows' own libraries (and the API sets that stand for them).
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|ws2_32|wininet|comctl32|comdlg32|msvcrt|ucrtbase|shlwapi|version|uxtheme|api-ms-win-[a-z0-9-]+)\.dll$'

status=0
count=0
while IFS= read -r -d '' file; do
  case "$file" in
    */CMakeFiles/*) continue ;;
  esac
  count=$((count + 1))
  while read -r dll; do
    lower="$(printf '%s' "$dll" | tr '[:upper:]' '[:lower:]')"
    if ! [[ "$lower" =~ $allowed ]]; then
      echo "$file imports $dll, which is not a Windows system library" >&2
      status=1
    fi
  done < <("$objdump" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
done < <(find "$build" \( -name '*.exe' -o -name '*.dll' \) -type f -print0)
if [ "$count" = 0 ]; then
  echo "no Windows executables under $build" >&2
  exit 1
fi
echo "$count Windows executables and libraries import only Windows system DLLs"
exit "$status"
