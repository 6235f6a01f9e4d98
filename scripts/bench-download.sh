#!/usr/bin/env bash
# Benchmark: downloads of 256 MiB and 1 GiB from nginx on loopback with
# HttpClient, DownloadFile and curl: time, peak memory, pump gaps. Starts and
# stops its own nginx.
#   scripts/bench-download.sh [SIZE_MIB[,SIZE_MIB...]] [RUNS]   (256,1024 and 5)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build="$root/build-bench-download"
bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZK_BUILD_BENCH=ON \
  -DZK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_download -j 2
state="$(mktemp -d /tmp/zk-bench-services-XXXXXX)"
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
"$build/bench/download/bench_download" "$ZK_NGINX_PORT" "$ZK_NGINX_ROOT" "${1:-256,1024}" "${2:-5}"
