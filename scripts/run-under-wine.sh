#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest (the toolchain's emulator).
# Wine starts helper processes on demand (explorer, rpcss, conhost) that
# inherit the program's output and outlive it by many seconds; ctest would
# wait for them. The output goes to a file instead, which is printed once the
# program itself has ended.
set -u
output="$(mktemp "${TMPDIR:-/tmp}/zk-wine-run-XXXXXX")"
wine "$@" </dev/null >"$output" 2>&1
status=$?
cat "$output"
rm -f "$output"
exit "$status"
