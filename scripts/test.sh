#!/usr/bin/env bash
# Builds and runs every test. Run as root on Debian 12; installs what it needs.
#   scripts/test.sh                the Linux suite, then the Windows suite under Wine
#   scripts/test.sh --sanitize     the Linux suite under AddressSanitizer and UBSan
#                                  (then the Windows suite as usual)
#   scripts/test.sh --linux-only   skip the Windows suite (quick local runs)
#   scripts/test.sh --windows-only skip the Linux suite (quick local runs)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

preset=default
run_linux=1
run_windows=1
for argument in "$@"; do
  case "$argument" in
    --sanitize) preset=sanitize ;;
    --linux-only) run_windows=0 ;;
    --windows-only) run_linux=0 ;;
    *)
      echo "usage: scripts/test.sh [--sanitize] [--linux-only | --windows-only]" >&2
      exit 2
      ;;
  esac
done

bash scripts/install-deps.sh

state="$(mktemp -d /tmp/zk-services-XXXXXX)"
cleanup() {
  bash scripts/wine.sh stop "$state" || true
  bash scripts/services.sh stop "$state" || true
  rm -rf "$state"
}
trap cleanup EXIT

if [ "$run_linux" = 1 ]; then
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
fi
if [ "$run_windows" = 1 ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$(nproc)"
  bash scripts/check-windows-imports.sh build-windows
fi

bash scripts/services.sh start "$state"
set -a
# shellcheck disable=SC1091
. "$state/env"
set +a
# Signed folders made by minisign, for the suites that cannot run it.
bash scripts/make-trust-fixtures.sh "$state/trust-fixtures"
export ZK_TRUST_FIXTURES="$state/trust-fixtures"

status=0
if [ "$run_linux" = 1 ]; then
  echo "== Linux suite"
  ctest --preset "$preset" -j 2 || status=1
fi
if [ "$run_windows" = 1 ]; then
  echo "== Windows suite (Wine)"
  bash scripts/wine.sh start "$state"
  (
    set -a
    # shellcheck disable=SC1091
    . "$state/wine.env"
    set +a
    ctest --preset windows -j 2
  ) || status=1
fi
exit "$status"
