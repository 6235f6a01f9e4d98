#!/usr/bin/env bash
# The main job. Builds guncelleme and runs it in a demo installation of the
# product against real parts on this machine: a Firebird server holding the
# company database with the licence year, and an nginx update server with the
# version texts, the announcement and the five module archives. Stand-ins of
# the product's programs run in the installation until the update stops them.
#
# The update server is signed as a vendor signs it (a minisign key made for
# the demo, SHA256SUMS and SHA256SUMS.minisig in the root and the year
# folder) and the installation's settings file names the public key, so the
# program runs with signed updates on.
#
# With a display the window opens and you press "Otomatik Güncelle" yourself.
# Without one it runs offscreen, presses it itself, saves screenshots before
# and after, prints a summary and shuts everything down.
#
# Usage: demo.sh [--windows] [altered-archive]
#   --windows        the same with the Windows program guncelleme.exe under
#                    Wine (on a virtual display when there is none), the
#                    Windows 7-Zip library fetched from the update server and
#                    Windows stand-ins of the product's programs. No Windows
#                    Firebird client can be installed here: the licence year
#                    comes from the test client library (gds32.dll of the
#                    Windows test suite), which answers as the company
#                    database would.
#   altered-archive  one byte of the DLL bundle's archive is changed after
#                    signing: the update is refused and the installation
#                    stays as it was.
set -euo pipefail
windows=0
variant=""
for argument in "$@"; do
  case "$argument" in
    --windows) windows=1 ;;
    altered-archive) variant="$argument" ;;
    *)
      echo "usage: demo.sh [--windows] [altered-archive]" >&2
      exit 2
      ;;
  esac
done
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
cmake --preset default >/dev/null
build="$root/build"
demo="$root/demo-run"
if [ "$windows" = 1 ]; then
  cmake --build --preset default -j "$(nproc)" --target zk_make_demo
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$(nproc)" --target guncelleme zk_standin zk_test_gds32
  build_windows="$root/build-windows"
  guncelleme="$build_windows/app/guncelleme.exe"
  standin="$build_windows/tests/helpers/zk_standin.exe"
  demo="$root/demo-run/windows"
else
  cmake --build --preset default -j "$(nproc)" --target guncelleme zk_standin zk_make_demo
  guncelleme="$build/app/guncelleme"
  standin="$build/tests/helpers/zk_standin"
fi

install="$demo/install"
rm -rf "$demo"
mkdir -p "$demo/data" "$demo/marks"
state="$(mktemp -d /tmp/zk-demo-services-XXXXXX)"

# Paths as the program sees them: under Wine the machine's root is drive Z.
native() {
  if [ "$windows" = 1 ]; then
    printf 'Z:%s' "$1"
  else
    printf '%s' "$1"
  fi
}
# Runs a program of the installation or the demo's guncelleme.
run() {
  if [ "$windows" = 1 ]; then
    wine "$@"
  else
    "$@"
  fi
}

standin_pids=()
cleanup() {
  local pid
  for pid in "${standin_pids[@]}"; do
    kill -9 "$pid" 2>/dev/null || true
  done
  # Under Wine the mark holds a Windows process number, not this system's;
  # ending the prefix's Wine server below ends that program.
  if [ "$windows" = 0 ] && [ -f "$demo/marks/started-zelvak.mark" ]; then
    pid="$(sed -n 's/^pid=//p' "$demo/marks/started-zelvak.mark")"
    if [ -n "$pid" ]; then
      kill -9 "$pid" 2>/dev/null || true
    fi
  fi
  bash "$root/scripts/services.sh" stop "$state" >/dev/null 2>&1 || true
  if [ "$windows" = 1 ]; then
    bash "$root/scripts/wine.sh" stop "$state" >/dev/null 2>&1 || true
  fi
  rm -rf "$state"
}
trap cleanup EXIT

echo "== starting the database server and the update server"
bash scripts/services.sh start "$state"
set -a
# shellcheck disable=SC1091
. "$state/env"
set +a
if [ -z "${ZK_FIREBIRD_PORT:-}" ] || [ -z "${ZK_NGINX_PORT:-}" ]; then
  echo "demo: the services did not start" >&2
  exit 1
fi

database="$demo/data/zelvak.fdb"
if [ "$windows" = 1 ]; then
  echo "== Wine prefix for guncelleme.exe"
  bash scripts/wine.sh start "$state"
  set -a
  # shellcheck disable=SC1091
  . "$state/wine.env"
  set +a
  echo "== company database: the test client library gds32.dll answers licence year 2027"
  echo "   (no Windows Firebird client can be installed here)"
  database='C:\ZelvaK\Data\zelvak.fdb'
else
  echo "== company database with the licence year 2027"
  "$ZK_FIREBIRD_ISQL" -q -b >/dev/null <<SQL
SET SQL DIALECT 3;
CREATE DATABASE 'localhost/$ZK_FIREBIRD_PORT:$database' USER 'SYSDBA' PASSWORD 'quorblent' DEFAULT CHARACTER SET WIN1254;
CREATE TABLE firmabilgi (yil INTEGER, unvan VARCHAR(60));
INSERT INTO firmabilgi VALUES (2027, 'Örnek Ticaret A.Ş.');
COMMIT;
SQL
fi

echo "== update server at http://127.0.0.1:$ZK_NGINX_PORT/ and the installation at $install"
"$build/tests/tools/zk_make_demo" server "$ZK_NGINX_ROOT" "$standin"
"$build/tests/tools/zk_make_demo" install "$install" localhost "$database" "$standin"
if [ "$windows" = 1 ]; then
  # The Windows archive library is fetched from the server at the first start;
  # the database client library comes with the product.
  cp /opt/zk-win64/7z.dll "$ZK_NGINX_ROOT/7z.dll"
  cp "$build_windows/tests/gds32/gds32.dll" "$install/gds32.dll"
fi

echo "== signing the update server with a new minisign key"
mkdir -p "$demo/key"
minisign -G -W -p "$demo/key/zelvak.pub" -s "$demo/key/zelvak.key" >/dev/null
for folder in "$ZK_NGINX_ROOT" "$ZK_NGINX_ROOT/2027"; do
  (cd "$folder" && find . -maxdepth 1 -type f ! -name 'SHA256SUMS*' -printf '%P\n' | sort |
    xargs sha256sum >SHA256SUMS &&
    minisign -S -s "$demo/key/zelvak.key" -m SHA256SUMS >/dev/null)
done
public_key="$(sed -n 2p "$demo/key/zelvak.pub")"
# ZK_DEMO_SIGNING=off leaves the key out, to compare the run without signing.
if [ "${ZK_DEMO_SIGNING:-on}" != off ]; then
  printf '[GUNCELLEME]\r\nIMZA_ANAHTARI=%s\r\n' "$public_key" >>"$install/zkayarlar.ini"
fi
altered=""
if [ "$variant" = altered-archive ]; then
  altered="2027/dll.rar"
  # One byte in the middle of the archive changed, after it was signed.
  target="$ZK_NGINX_ROOT/$altered"
  middle=$(($(stat -c %s "$target") / 2))
  byte=A
  [ "$(dd if="$target" bs=1 skip="$middle" count=1 status=none)" = A ] && byte=B
  printf '%s' "$byte" | dd of="$target" bs=1 seek="$middle" conv=notrunc status=none
fi
# What the installation holds before the run: programs, libraries, version
# and report files (the staging folder and the downloaded extras aside).
installation_digest() {
  (cd "$install" && find . -type f ! -path './update/*' ! -name duyuru.txt ! -name logo1024.png \
    ! -name zkimza.txt -printf '%P\n' | sort | xargs sha256sum | sha256sum | cut -c1-16)
}
digest_before="$(installation_digest)"

echo "== starting the product's programs"
for program in zelvak.exe mobil.exe zkbck.exe yazdir.exe; do
  (cd "$install" && exec $([ "$windows" = 1 ] && echo wine) "./$program" --mark "$(native "$demo/marks/$program.mark")") \
    </dev/null >/dev/null 2>&1 &
  standin_pids+=("$!")
  disown "$!"
done
for program in zelvak.exe mobil.exe zkbck.exe yazdir.exe; do
  for _ in $(seq 1 100); do
    [ -f "$demo/marks/$program.mark" ] && break
    sleep 0.05
  done
done

export FIREBIRD="$ZK_FIREBIRD_ROOT"
export ZELVAK_UPDATE_ROOT="http://127.0.0.1:$ZK_NGINX_PORT/"
export ZK_CONNECTIVITY=online
export ZK_STANDIN_MARK
ZK_STANDIN_MARK="$(native "$demo/marks/started-zelvak.mark")"

echo "== running guncelleme"
cd "$install"
status=0
if [ "${ZK_DEMO_INTERACTIVE:-}" = 1 ] ||
  { [ "$windows" = 0 ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; }; then
  run "$guncelleme" || status=$?
  echo "guncelleme exited with code $status"
  exit "$status"
fi

export QT_QPA_PLATFORM=offscreen
export ZK_AUTO_CLOSE_MESSAGE_BOXES=1
export ZK_DEMO_AUTOMATIC_UPDATE=1
export ZK_SCREENSHOT_BEFORE ZK_SCREENSHOT_AFTER
ZK_SCREENSHOT_BEFORE="$(native "$demo/before.png")"
ZK_SCREENSHOT_AFTER="$(native "$demo/after.png")"
started_ms="$(date +%s%3N)"
run "$guncelleme" </dev/null >"$demo/guncelleme.out" 2>"$demo/guncelleme.err" || status=$?
run_ms=$(($(date +%s%3N) - started_ms))
grep '^DEMO' "$demo/guncelleme.out" || true
grep -E '^(MESSAGE|ERROR):' "$demo/guncelleme.err" || true

echo
echo "== summary"
echo "guncelleme exited with code $status after $run_ms ms"
if [ "$windows" = 1 ]; then
  echo "program: guncelleme.exe under $(wine --version), display $DISPLAY"
  echo "licence year: from the test client library gds32.dll (no Windows Firebird client can be installed here)"
fi
if [ "${ZK_DEMO_SIGNING:-on}" = off ]; then
  echo "signed updates: off (ZK_DEMO_SIGNING=off)"
else
  echo "signed updates: on (minisign key $(sed -n 's/.*public key //p' "$demo/key/zelvak.pub")," \
    "lists of / and /2027/ signed; floors kept: $(tr '\n' ' ' <"$install/zkimza.txt" 2>/dev/null))"
fi
if [ -n "$altered" ]; then
  echo "altered after signing: $altered"
  refused="$(grep -E '^MESSAGE:.*doğrulanamadı' "$demo/guncelleme.err" || true)"
  echo "refused: ${refused:-nothing (THE ALTERED ARCHIVE WAS NOT REFUSED)}"
fi
digest_after="$(installation_digest)"
if [ -n "$altered" ]; then
  if [ "$digest_after" = "$digest_before" ]; then
    echo "installation unchanged: yes (digest $digest_before before and after)"
  else
    echo "installation unchanged: NO (digest $digest_before before, $digest_after after)"
  fi
else
  echo "installation updated: digest $digest_before before, $digest_after after"
fi
echo "version files (an update rewrites only those of the reports and the DLL bundle):"
for file in verzk.txt vermb.txt verpr.txt verrp.txt verdl.txt; do
  printf '  %-10s installed now: %s\n' "$file" "$(head -n 1 "$install/$file" | tr -d '\r')"
done
echo "programs installed:"
for program in zelvak.exe mobil.exe zkbck.exe yazdir.exe; do
  printf '  %-11s %s\n' "$program" "$(grep -a -o 'ZELVAK-DEMO .*' "$install/$program" | tail -n 1)"
done
older="$(cd "$install" && grep -L 'version 4' ./*.dll ./*.manifest 2>/dev/null | sed 's|^\./||' | { grep -v '^7z\.dll$' || true; } | paste -sd ' ' -)" || true
echo "DLL bundle: $(grep -l 'version 4' "$install"/*.dll "$install"/*.manifest 2>/dev/null | wc -l) of 16 libraries at version 4${older:+ (older: $older)}"
if [ "$windows" = 1 ] && [[ " $older " == *" gds32.dll "* ]]; then
  echo "  gds32.dll is loaded by guncelleme.exe itself, and Windows does not let a loaded library be replaced"
fi
echo "report files: $(cd "$install/report" && find . -type f | sort | tr '\n' ' ')"
echo "programs stopped:"
i=0
for program in zelvak.exe mobil.exe zkbck.exe yazdir.exe; do
  pid="${standin_pids[$i]}"
  if kill -0 "$pid" 2>/dev/null && ! grep -q '^State:.*Z' "/proc/$pid/status" 2>/dev/null; then
    echo "  $program (pid $pid) still running"
  else
    echo "  $program (pid $pid) stopped"
  fi
  i=$((i + 1))
done
if [ -f "$demo/marks/started-zelvak.mark" ]; then
  echo "program started: zelvak.exe (pid $(sed -n 's/^pid=//p' "$demo/marks/started-zelvak.mark"), in $(sed -n 's/^cwd=//p' "$demo/marks/started-zelvak.mark"))"
else
  echo "program started: none"
fi
echo "screenshots: $demo/before.png $demo/after.png"
echo
echo "== guncelleme --check afterwards (as a scheduled task would run it)"
check=0
run "$guncelleme" --check --log "$(native "$demo/check.log")" </dev/null || check=$?
echo "guncelleme --check exited with code $check (0 all current, 10 updates, 1 no check); log: $demo/check.log"
exit "$status"
