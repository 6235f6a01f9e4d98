#!/usr/bin/env bash
# Checks the formatting of the C++ sources (clang-format, the repository's
# .clang-format) and the shell scripts (shellcheck). Run from anywhere.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

status=0
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${sources[@]}"; then
  echo "clang-format: the files above differ from .clang-format (run clang-format -i on them)" >&2
  status=1
fi
mapfile -t scripts < <(git ls-files '*.sh' '.ci/run')
if ! shellcheck "${scripts[@]}"; then
  status=1
fi
# The operating system is reached through platform/ only (and the windows in app/).
os_headers='#include <(windows|winsock2|ws2tcpip|wininet|shellapi|tlhelp32|unistd|dlfcn|fcntl|signal|poll|dirent|pwd|spawn|ifaddrs)\.h>|#include <(sys|arpa|netinet|net)/'
if git grep -nE "$os_headers" -- core settings versions transfer install; then
  echo "operating-system headers outside platform/: move the calls behind a platform/ header" >&2
  status=1
fi
if [ "$status" = 0 ]; then
  echo "style: ${#sources[@]} C++ files formatted, ${#scripts[@]} shell scripts clean"
fi
exit "$status"
