#!/usr/bin/env bash
# Builds the client, the lobby server and the sample games (target
# salvind_run; the tests are scripts/test.sh's), starts the demo lobby server
# on 127.0.0.1 (port 2000, or any free port when 2000 is taken), then the
# client pointed at it, and stops the server when the client ends, whichever
# way it ends. Accounts stay in build/default/stage/server/state/, beside the
# demo server's own certificate (made at the first run), the one certificate
# the client is told to trust besides the system's.
# Arguments go to the client.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh default salvind_run

stage="$PWD/build/default/stage"
server_dir="$stage/server"
log="$PWD/build/default/orva-lobbyd.log"
server_pid=""

stop_server() {
  if [ -n "$server_pid" ] && kill -0 "$server_pid" 2>/dev/null; then
    kill -TERM "$server_pid" 2>/dev/null || true
    for _ in $(seq 1 50); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$server_pid" 2>/dev/null || true
  fi
  server_pid=""
}
trap stop_server EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# Starts the server on address and sets port to the port it listens on;
# leaves port empty when the server ended instead (the address taken, say).
start_server() {
  port=""
  : >"$log"
  (cd "$server_dir" && exec ./orva-lobbyd --config lobby.toml --listen "$1" \
    --tls state/demo-cert.pem state/demo-key.pem) 2>>"$log" &
  server_pid=$!
  for _ in $(seq 1 300); do
    port=$(sed -n 's/.*listening on [0-9.]*:\([0-9]*\) .*/\1/p' "$log" | head -n 1)
    [ -n "$port" ] && return
    kill -0 "$server_pid" 2>/dev/null || { server_pid=""; return; }
    sleep 0.1
  done
  stop_server
}

"$server_dir/make-demo-cert.sh" "$server_dir/state"
start_server 127.0.0.1:2000
if [ -z "$port" ]; then
  echo "run.sh: port 2000 is taken; the demo server takes a free port instead" >&2
  start_server 127.0.0.1:0
fi
if [ -z "$port" ]; then
  echo "run.sh: the demo server did not start; its log follows" >&2
  cat "$log" >&2
  exit 1
fi
echo "run.sh: the demo lobby server listens on 127.0.0.1:$port over TLS (log: $log)"
echo "run.sh: log in as demo, password orva, or register a new user"

cd "$stage"
status=0
SALVIND_SERVER_HOST=127.0.0.1 SALVIND_SERVER_PORT="$port" SALVIND_SERVER_CA="$server_dir/state/demo-cert.pem" \
  ./salvind "$@" || status=$?
exit "$status"
