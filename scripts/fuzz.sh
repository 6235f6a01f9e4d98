#!/usr/bin/env bash
# Builds the libFuzzer target for the HTTP answer reader with clang in its own
# build folder and runs it for a bounded time.
#   scripts/fuzz.sh [SECONDS]     (default 60)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
seconds="${1:-60}"
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZK_BUILD_FUZZ=ON -DZK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzz_http_answer -j 2
corpus="$build/corpus/http_answer"
mkdir -p "$corpus"
# A few well-formed answers to start from.
printf '\001\377HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello' >"$corpus/length"
printf '\001\377HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3;x\r\nabc\r\n0\r\n\r\n' >"$corpus/chunked"
printf '\001\377HTTP/1.1 100 Continue\r\n\r\nHTTP/1.0 200\r\n\r\nuntil close' >"$corpus/close"
printf '\001\377HTTP/1.1 302 Found\r\nLocation: ../x.rar\r\nContent-Length: 0\r\n\r\nHTTP/1.1 404 No\r\n X: a\r\n\tb\r\n\r\n' >"$corpus/redirect"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "$build/fuzz/fuzz_http_answer" -max_total_time="$seconds" -rss_limit_mb=2048 \
  -max_len=65536 -timeout=10 -print_final_stats=1 "$corpus"
