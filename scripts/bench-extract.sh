#!/usr/bin/env bash
# Builds and runs the extraction benchmark: a 256 MiB stored RAR archive
# through the archive object against "7z x" of the same archive.
#   scripts/bench-extract.sh [rounds]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh

cmake -S . -B build-bench-extract -G Ninja -DCMAKE_BUILD_TYPE=Release -DZK_BUILD_BENCH=ON \
  -DZK_BUILD_TESTS=ON >/dev/null
cmake --build build-bench-extract --target bench_extract -j "$(nproc)"
build-bench-extract/bench/extract/bench_extract "${1:-5}"
