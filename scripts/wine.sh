#!/usr/bin/env bash
# A private Wine prefix for the Windows suite and the Windows demo.
#   wine.sh start STATE_DIR: makes STATE_DIR/wine, starts an Xvfb display when
#     there is none, boots the prefix with a persistent Wine server and writes
#     WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES and DISPLAY to STATE_DIR/wine.env.
#   wine.sh stop STATE_DIR: ends that prefix's Wine server and processes, and
#     the Xvfb it started, by their PIDs.
set -euo pipefail
action="$1"
state="$2"
dir="$state/wine"
envfile="$state/wine.env"

start() {
  mkdir -p "$dir"
  export WINEPREFIX="$dir/prefix"
  export WINEDEBUG=-all
  # No Mono or Gecko installer prompts: the tests need neither.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 90 130); do
      [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 &
      echo $! >"$dir/xvfb.pid"
      export DISPLAY=":$n"
      for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
      done
      break
    done
  fi
  # The server stays up between the test programs; its helpers must not hold
  # the caller's output open, or a reader of that output waits for ever.
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null >/dev/null 2>&1
  wineboot -i </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
  # Wine draws the caption buttons with its Marlett font (fonts-wine), which
  # this Wine does not find in its own data folder.
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
  fi
  if [ -f "$dir/xvfb.pid" ]; then
    # The virtual display has no window manager. Windows draw their own
    # caption and frame, as on Windows, so a picture of a window shows its
    # title bar; and Wine does not wait for a window manager's answer each
    # time a window is shown or hidden (2 s each).
    local value
    for value in Decorated Managed; do
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v "$value" /t REG_SZ /d N /f \
        </dev/null >/dev/null 2>&1
    done
  fi
  {
    echo "WINEPREFIX=$WINEPREFIX"
    echo "WINEDEBUG=$WINEDEBUG"
    echo "WINEDLLOVERRIDES=$WINEDLLOVERRIDES"
    echo "DISPLAY=$DISPLAY"
  } >"$envfile"
}

stop() {
  if [ -d "$dir/prefix" ]; then
    WINEPREFIX="$dir/prefix" wineserver -k </dev/null >/dev/null 2>&1 || true
    WINEPREFIX="$dir/prefix" wineserver -w </dev/null >/dev/null 2>&1 || true
  fi
  if [ -f "$dir/xvfb.pid" ]; then
    pid="$(cat "$dir/xvfb.pid")"
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$dir/xvfb.pid"
  fi
}

case "$action" in
  start) start ;;
  stop) stop ;;
  *)
    echo "usage: wine.sh start|stop STATE_DIR" >&2
    exit 2
    ;;
esac
