#!/usr/bin/env bash
# The main job: builds guncelleme, prepares a demo installation folder and runs
# the program there. With no display it runs offscreen and writes a screenshot.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target guncelleme
demo="$root/demo-run"
mkdir -p "$demo/install"
cd "$demo/install"
"$root/build/app/guncelleme"
