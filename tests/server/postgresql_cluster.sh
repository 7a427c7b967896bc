#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the server tests, in a fresh folder
# under /tmp, reachable only on a Unix socket in that folder.
#   start INFO: writes the libpq connection string to INFO (nothing when
#               PostgreSQL is not installed, and the tests skip);
#   stop INFO:  stops the cluster and removes its folder.
# Run as root, the cluster runs as nobody, who owns its folder.
set -euo pipefail
action="${1:?start or stop}"
info="${2:?connection file}"
bindir="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1 || true)"
as=()
[ "$(id -u)" -eq 0 ] && as=(runuser -u nobody --)

case "$action" in
  start)
    rm -f "$info" "$info.dir"
    if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
      echo "PostgreSQL is not installed (Debian's postgresql package): its tests are skipped"
      exit 0
    fi
    dir="$(mktemp -d /tmp/orva-pg-XXXXXX)"
    echo "$dir" >"$info.dir"
    [ "$(id -u)" -eq 0 ] && chown nobody: "$dir"
    chmod 700 "$dir"
    # Durability is not what these tests look at: fsync off keeps them quick.
    if ! timeout 120 "${as[@]}" "$bindir/initdb" -D "$dir/data" -U orva -A trust -E UTF8 --locale=C.UTF-8 \
        --no-sync >"$dir/initdb.log" 2>&1; then
      cat "$dir/initdb.log" >&2
      exit 1
    fi
    if ! timeout 60 "${as[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 50 \
        -o "-c listen_addresses='' -k $dir -c fsync=off -c max_connections=300" start >/dev/null; then
      cat "$dir/server.log" >&2
      exit 1
    fi
    echo "host=$dir port=5432 user=orva dbname=postgres" >"$info"
    echo "PostgreSQL $("$bindir/postgres" --version | awk '{print $3}') runs in $dir"
    ;;
  stop)
    [ -f "$info.dir" ] || exit 0
    dir="$(cat "$info.dir")"
    case "$dir" in /tmp/orva-pg-*) ;; *) echo "not a test cluster: $dir" >&2; exit 1 ;; esac
    if [ -d "$dir/data" ]; then
      timeout 60 "${as[@]}" "$bindir/pg_ctl" -D "$dir/data" -m immediate -w -t 50 stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    rm -f "$info" "$info.dir"
    ;;
  *)
    echo "usage: $0 start|stop INFO" >&2
    exit 2
    ;;
esac
