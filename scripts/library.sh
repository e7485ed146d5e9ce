#!/usr/bin/env bash
# Creates a shared-exam library on a PostgreSQL server of this machine: a login role, a
# database it owns, a schema of the role's name in it, and the tables and functions of
# sql/library.sql. Safe to run again: what exists is kept, the functions are replaced.
#
#   scripts/library.sh [ROLE [DATABASE]]        (default: examlibrary examlibrary)
#
# The role's password comes from LIBRARY_PASSWORD; without it a new role gets a random one
# and an existing role keeps its own. At the end the script prints the connection string
# for "examserver -library". Run as root it works as the server's postgres user; otherwise
# (or with PGHOST/PGPORT/PGUSER set) it connects as the caller says.
set -euo pipefail
cd "$(dirname "$0")/.."
role="${1:-examlibrary}"
database="${2:-${role}}"
case "$role$database" in
  *[!a-z0-9_]*) echo "Role and database names are lower-case letters, digits and _." >&2; exit 2 ;;
esac

admin() {
  if [ "$(id -u)" -eq 0 ] && [ -z "${PGUSER:-}" ]; then
    runuser -u postgres -- psql -X -q -v ON_ERROR_STOP=1 "$@"
  else
    psql -X -q -v ON_ERROR_STOP=1 "$@"
  fi
}

password="${LIBRARY_PASSWORD:-}"
if [ -z "$(admin -d postgres -tA -c "select 1 from pg_roles where rolname='$role'")" ]; then
  [ -n "$password" ] || password=$(head -c 18 /dev/urandom | base64 | tr -d '/+=')
  echo "CREATE ROLE \"$role\" LOGIN PASSWORD :'pw'" | admin -d postgres -v pw="$password"
  echo "Created the role $role."
elif [ -n "$password" ]; then
  echo "ALTER ROLE \"$role\" PASSWORD :'pw'" | admin -d postgres -v pw="$password"
fi
if [ -z "$(admin -d postgres -tA -c "select 1 from pg_database where datname='$database'")" ]; then
  admin -d postgres -c "CREATE DATABASE \"$database\" OWNER \"$role\" ENCODING 'UTF8' TEMPLATE template0"
  echo "Created the database $database."
fi
# The role's own schema comes first in its search path, so the objects land there.
admin -d "$database" -c "CREATE SCHEMA IF NOT EXISTS \"$role\" AUTHORIZATION \"$role\"" \
  -c "SET ROLE \"$role\"" -f sql/library.sql 2>&1 | grep -v 'already exists, skipping' || true
admin -d "$database" -tA -c "SET ROLE \"$role\"" -c "select 1 from zxtest limit 0" >/dev/null

echo "Library ready. Start the exam servers with:"
if [ -n "$password" ]; then
  echo "  examserver -library 'host=$(hostname) dbname=$database user=$role password=$password'"
else
  echo "  examserver -library 'host=$(hostname) dbname=$database user=$role password=<the role's password>'"
fi
