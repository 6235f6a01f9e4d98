#!/usr/bin/env bash
# Builds the libFuzzer targets (the HTTP answer reader; the signature, key and
# file-list parsers of signed updates) with clang in their own build folder
# and runs each for a bounded time.
#   scripts/fuzz.sh [SECONDS]     (default 60, for each target)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
seconds="${1:-60}"
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZK_BUILD_FUZZ=ON -DZK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzz_http_answer fuzz_signed_list -j 2
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

corpus="$build/corpus/signed_list"
mkdir -p "$corpus"
# Shapes of what a signed folder holds, to start from.
printf 'untrusted comment: signature from minisign secret key\nRUQAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=\ntrusted comment: timestamp:1700000000\tfile:SHA256SUMS\thashed\nAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA==\n' >"$corpus/signature"
printf 'ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  zelvak.rar\ne3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855 *verzk.txt\n' >"$corpus/list"
printf 'untrusted comment: minisign public key D17D5BF480E9D447\nRWRH1OmA9Ft90VJ/+h+6T2biyOY+9N7cH53blZv2KCl+qX+F/KzXAQ8T\n' >"$corpus/key"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "$build/fuzz/fuzz_signed_list" -max_total_time="$seconds" -rss_limit_mb=2048 \
  -max_len=4096 -timeout=10 -print_final_stats=1 "$corpus"
