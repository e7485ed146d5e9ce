#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests, never a system service.
#
#   private-postgres.sh start        creates a fresh folder, runs initdb into it, starts the
#                                    server on a Unix socket inside it and prints the folder
#   private-postgres.sh stop FOLDER  stops that server and removes the folder
#
# The server runs as an unprivileged user (when started by root: the package's postgres
# user, else nobody), allows only that socket and trusts its callers. PG_BIN names the
# folder of initdb and pg_ctl (default /usr/lib/postgresql/15/bin).
set -euo pipefail
bin="${PG_BIN:-/usr/lib/postgresql/15/bin}"

# Runs a command as the server's user.
as_owner() {
  if [ "$(id -u)" -ne 0 ]; then
    "$@"
  else
    runuser -u "$owner" -- "$@"
  fi
}

owner=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
  owner=nobody
  getent passwd postgres >/dev/null && owner=postgres
fi

case "${1:-}" in
  start)
    if [ ! -x "$bin/initdb" ] || [ ! -x "$bin/pg_ctl" ]; then
      echo "PostgreSQL server programs not found in $bin" >&2
      exit 3
    fi
    folder=$(mktemp -d "${TMPDIR:-/tmp}/private-postgres.XXXXXX")
    chmod 700 "$folder"
    [ "$(id -u)" -eq 0 ] && chown "$owner" "$folder"
    if ! as_owner "$bin/initdb" -D "$folder/data" -U postgres --auth=trust --no-sync -E UTF8 --locale=C.UTF-8 \
        >"$folder/initdb.log" 2>&1; then
      cat "$folder/initdb.log" >&2
      rm -rf "$folder"
      exit 1
    fi
    # No TCP at all: the socket in the folder is the only way in.
    if ! as_owner "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 \
        -o "-c listen_addresses='' -k $folder -p 5432 -c fsync=off" start >/dev/null; then
      cat "$folder/server.log" >&2
      rm -rf "$folder"
      exit 1
    fi
    echo "$folder"
    ;;
  stop)
    folder="${2:?the folder printed by start}"
    [ -d "$folder/data" ] || { echo "$folder is no private server" >&2; exit 2; }
    as_owner "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1 || true
    rm -rf "$folder"
    ;;
  *)
    echo "usage: $0 start | stop FOLDER" >&2
    exit 2
    ;;
esac
