#!/usr/bin/env bash
# A private Firebird 3 server for the tests, run as root on a loopback port.
# It has its own root folder (configuration), lock folder and security
# database below $ZK_SERVICE_STATE/firebird, so it never meets another
# Firebird server on the machine. SYSDBA's password is "quorblent".
#   firebird.sh start   -> appends ZK_FIREBIRD_PORT, ZK_FIREBIRD_ISQL and ZK_FIREBIRD_ROOT to $ZK_SERVICE_ENV
#   firebird.sh stop
set -euo pipefail
: "${ZK_SERVICE_STATE:?}"
: "${ZK_SERVICE_ENV:?}"

server=/usr/sbin/firebird
isql=/usr/bin/isql-fb
installed_root=/usr/lib/x86_64-linux-gnu/firebird/3.0
packaged_security_db=/var/lib/firebird/3.0/system/security3.fdb
password=quorblent

dir="$ZK_SERVICE_STATE/firebird"
pidfile="$dir/server.pid"

# The server finds its configuration through FIREBIRD and keeps its lock
# files in FIREBIRD_LOCK; both private, so nothing is shared with a server
# started from the package's own configuration.
use_private_root() {
  export FIREBIRD="$dir/root"
  export FIREBIRD_LOCK="$dir/lock"
  export FIREBIRD_TMP="$dir/tmp"
}

listening_on() {
  # True when process $1 listens on TCP port $2.
  ss -Hltnp "sport = :$2" 2>/dev/null | grep -q "pid=$1,"
}

write_configuration() {
  local port="$1"
  cat >"$dir/root/firebird.conf" <<CONF
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $dir/data/security3.fdb
UdfAccess = None
CONF
}

start() {
  if [ ! -x "$server" ] || [ ! -x "$isql" ] || [ ! -f "$packaged_security_db" ]; then
    echo "firebird.sh: Firebird 3 server not installed (firebird3.0-server); database tests will skip" >&2
    return 0
  fi
  rm -rf "$dir"
  mkdir -p "$dir/root" "$dir/lock" "$dir/tmp" "$dir/data"
  local item
  for item in UDF plugins lib firebird.msg; do
    ln -s "$installed_root/$item" "$dir/root/$item"
  done
  # The character sets module is named as $(root)/intl/fbintl; the server
  # compares that name with the file it loaded after resolving links, so a
  # linked folder leaves every character set "not installed": copy it.
  mkdir "$dir/root/intl"
  cp "$installed_root/intl/libfbintl.so" "$dir/root/intl/"
  cp /etc/firebird/3.0/plugins.conf /etc/firebird/3.0/fbtrace.conf "$dir/root/"
  cat >"$dir/root/databases.conf" <<CONF
security.db = $dir/data/security3.fdb
{
	RemoteAccess = false
}
CONF
  cp "$packaged_security_db" "$dir/data/security3.fdb"
  chmod 600 "$dir/data/security3.fdb"
  use_private_root
  write_configuration 3050

  # With no server running, isql opens the security database directly.
  echo "create or alter user SYSDBA password '$password'; commit;" |
    "$isql" -q -b -user SYSDBA "$dir/data/security3.fdb" >"$dir/isql.log" 2>&1

  local port pid
  for _ in 1 2 3 4 5 6 7 8; do
    port=$((20000 + (RANDOM * 32768 + RANDOM) % 12000))
    if ss -Hltn "sport = :$port" 2>/dev/null | grep -q .; then
      continue
    fi
    write_configuration "$port"
    "$server" -p "$port" </dev/null >"$dir/server.log" 2>&1 &
    pid=$!
    echo "$pid" >"$pidfile"
    for _ in $(seq 1 100); do
      if listening_on "$pid" "$port"; then
        {
          echo "ZK_FIREBIRD_PORT=$port"
          echo "ZK_FIREBIRD_ISQL=$isql"
          # A client started with FIREBIRD set to this root reaches the server
          # as plain "localhost", the way the product's own machine does.
          echo "ZK_FIREBIRD_ROOT=$FIREBIRD"
        } >>"$ZK_SERVICE_ENV"
        echo "firebird.sh: Firebird server $pid on 127.0.0.1:$port"
        return 0
      fi
      running "$pid" || break
      sleep 0.1
    done
    stop_pid "$pid"
    rm -f "$pidfile"
  done
  echo "firebird.sh: the Firebird server did not start; see $dir/server.log" >&2
  return 1
}

running() {
  # A process that has ended but is not yet reaped counts as gone.
  local state
  state="$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

stop_pid() {
  local pid="$1"
  kill -TERM "$pid" 2>/dev/null || return 0
  # Right after its start the server may ignore TERM.
  for _ in $(seq 1 50); do
    running "$pid" || break
    sleep 0.1
  done
  if running "$pid"; then
    kill -KILL "$pid" 2>/dev/null || true
  fi
  # Reap it when it is our child; otherwise (started by an earlier run of
  # this script) wait for it to leave the process table.
  wait "$pid" 2>/dev/null || true
  for _ in $(seq 1 100); do
    running "$pid" || return 0
    sleep 0.1
  done
}

stop() {
  [ -f "$pidfile" ] || return 0
  local pid
  pid="$(cat "$pidfile")"
  # Only a process that still is our server is ended (PIDs get reused).
  if [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$server" ]; then
    stop_pid "$pid"
  fi
  rm -f "$pidfile"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *)
    echo "usage: firebird.sh start|stop" >&2
    exit 2
    ;;
esac
