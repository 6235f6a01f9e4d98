#!/usr/bin/env bash
# Builds and runs every test. Run as root on Debian 12; installs what it needs.
#   scripts/test.sh              the whole suite
#   scripts/test.sh --sanitize   the whole suite under AddressSanitizer and UBSan
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

preset=default
if [ "${1:-}" = "--sanitize" ]; then
  preset=sanitize
fi

bash scripts/install-deps.sh

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"

state="$(mktemp -d /tmp/zk-services-XXXXXX)"
cleanup() {
  bash scripts/services.sh stop "$state" || true
  rm -rf "$state"
}
trap cleanup EXIT
bash scripts/services.sh start "$state"
set -a
# shellcheck disable=SC1091
. "$state/env"
set +a

ctest --preset "$preset" -j 2
