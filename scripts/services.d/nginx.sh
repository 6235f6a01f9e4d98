#!/usr/bin/env bash
# A throw-away nginx on loopback for the transfer tests and benchmarks.
#   start: runs nginx in the background with its own prefix under
#          $ZK_SERVICE_STATE/nginx and writes ZK_NGINX_PORT, ZK_NGINX_ROOT
#          (a document root tests may fill) and ZK_NGINX_ACCESS_LOG to $ZK_SERVICE_ENV.
#   stop:  ends that nginx by its PID (TERM, then KILL after 5 s).
set -euo pipefail
: "${ZK_SERVICE_STATE:?}"
dir="$ZK_SERVICE_STATE/nginx"
pidfile="$dir/nginx.pid"

start() {
  mkdir -p "$dir/root" "$dir/logs" "$dir/temp"
  chmod 0777 "$dir/root"
  for _ in $(seq 1 20); do
    port=$((20000 + RANDOM % 40000))
    if ss -ltnH "sport = :$port" 2>/dev/null | grep -q .; then
      continue
    fi
    cat >"$dir/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $pidfile;
error_log $dir/logs/error.log warn;
events { worker_connections 64; }
http {
  types { application/octet-stream rar dll so bin; text/plain txt; image/png png; }
  default_type application/octet-stream;
  log_format conn '\$connection \$connection_requests "\$request" \$status \$body_bytes_sent';
  access_log $dir/logs/access.log conn;
  client_body_temp_path $dir/temp/body;
  proxy_temp_path $dir/temp/proxy;
  fastcgi_temp_path $dir/temp/fastcgi;
  uwsgi_temp_path $dir/temp/uwsgi;
  scgi_temp_path $dir/temp/scgi;
  sendfile on;
  keepalive_timeout 65;
  keepalive_requests 1000;
  server {
    listen 127.0.0.1:$port;
    root $dir/root;
    autoindex off;
  }
}
CONF
    nginx -p "$dir" -c "$dir/nginx.conf" -e "$dir/logs/error.log" </dev/null >>"$dir/logs/stdout.log" 2>&1 &
    pid=$!
    for _ in $(seq 1 50); do
      if ! kill -0 "$pid" 2>/dev/null; then
        break
      fi
      if ss -ltnH "sport = :$port" 2>/dev/null | grep -q .; then
        echo "$pid" >"$dir/service.pid"
        {
          echo "ZK_NGINX_PORT=$port"
          echo "ZK_NGINX_ROOT=$dir/root"
          echo "ZK_NGINX_ACCESS_LOG=$dir/logs/access.log"
        } >>"$ZK_SERVICE_ENV"
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  echo "nginx did not start; see $dir/logs/error.log" >&2
  return 1
}

stop() {
  [ -f "$dir/service.pid" ] || return 0
  pid="$(cat "$dir/service.pid")"
  if kill -TERM "$pid" 2>/dev/null; then
    for _ in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -f "$dir/service.pid"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *)
    echo "usage: nginx.sh start|stop" >&2
    exit 2
    ;;
esac
