#!/usr/bin/env bash
# The main job: builds guncelleme, prepares a demo installation folder and runs
# the program there. With no display it runs offscreen, saves a screenshot of
# the window and closes it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target guncelleme

demo="$root/demo-run"
install="$demo/install"
mkdir -p "$install"
cd "$install"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
  export ZK_SCREENSHOT="$demo/window.png"
  export ZK_QUIT_AFTER_SCREENSHOT=1
fi
status=0
"$root/build/app/guncelleme" || status=$?
echo "guncelleme exited with code $status"
if [ -n "${ZK_SCREENSHOT:-}" ]; then
  echo "screenshot: $ZK_SCREENSHOT"
fi
exit "$status"
