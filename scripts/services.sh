#!/usr/bin/env bash
# Starts or stops the services the tests and the demo need (Firebird, nginx).
# Each scripts/services.d/NAME.sh takes "start" or "stop"; a start writes the
# variables the tests read (KEY=VALUE lines) to the file named by $ZK_SERVICE_ENV.
#   services.sh start STATE_DIR   -> STATE_DIR/env holds the variables
#   services.sh stop STATE_DIR
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
action="$1"
state="$2"
mkdir -p "$state"
export ZK_SERVICE_STATE="$state"
export ZK_SERVICE_ENV="$state/env"
case "$action" in
  start)
    : >"$ZK_SERVICE_ENV"
    for s in "$here"/services.d/*.sh; do
      [ -e "$s" ] || continue
      bash "$s" start
    done
    ;;
  stop)
    for s in "$here"/services.d/*.sh; do
      [ -e "$s" ] || continue
      bash "$s" stop || true
    done
    ;;
  *)
    echo "usage: services.sh start|stop STATE_DIR" >&2
    exit 2
    ;;
esac
