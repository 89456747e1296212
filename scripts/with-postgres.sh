#!/usr/bin/env bash
# Runs a command next to a throwaway PostgreSQL server: makes a cluster in a temporary
# folder (C locale, SQL_ASCII so that any byte can be stored in text), listening only on
# a Unix socket in that folder, loads the sample database into "varn_test", runs the
# command with VARN_PG_CONNINFO (and VARN_PG_SUPERUSER_CONNINFO, the maintenance
# database) pointing at it, and always stops the server and removes the folder.
#
#   scripts/with-postgres.sh COMMAND [ARGUMENTS...]
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: with-postgres.sh COMMAND [ARGUMENTS...]" >&2; exit 2; }

root=$(cd "$(dirname "$0")/.." && pwd)
demo_sql="$root/data/demo.sql"

# The newest server that Debian's postgresql package installed.
bin=$(find /usr/lib/postgresql -mindepth 3 -maxdepth 3 -path '*/bin/initdb' 2>/dev/null |
      sort -V | tail -n 1 | xargs -r dirname)
[ -n "$bin" ] || { echo "with-postgres.sh: no PostgreSQL server found (scripts/install-deps.sh installs it)" >&2; exit 1; }

# The server refuses to run as root: as root it runs as the postgres user.
as_server() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

dir=$(mktemp -d /tmp/varn-pg.XXXXXX)
stopped=0
stop_server() {
    [ "$stopped" -eq 0 ] || return 0
    stopped=1
    if [ -f "$dir/data/postmaster.pid" ]; then
        as_server "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
}
child=
# The command runs in the background so that a signal to this script is handled at once:
# the command is ended, then the server.
stop_all() {
    if [ -n "$child" ]; then
        kill -TERM "$child" 2>/dev/null || true
        wait "$child" 2>/dev/null || true
    fi
    stop_server
}
trap stop_server EXIT
trap 'stop_all; exit 130' INT
trap 'stop_all; exit 143' TERM

[ "$(id -u)" -ne 0 ] || chown postgres: "$dir"
# The socket is private to the folder, so any port number is free for its name.
port=$((20000 + RANDOM % 10000))

as_server "$bin/initdb" -D "$dir/data" -U postgres --auth=trust --locale=C --encoding=SQL_ASCII \
    --no-sync >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
if ! as_server "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories='$dir' -p $port -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
        start >/dev/null; then
    cat "$dir/server.log" >&2
    exit 1
fi

psql=("$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$dir" -p "$port" -U postgres)
"${psql[@]}" -d postgres -c "CREATE DATABASE varn_test"
# The sample SQL is written once for every engine; its own type names become domains here.
"${psql[@]}" -d varn_test <<'SQL'
CREATE DOMAIN currency AS NUMERIC(19,4);
CREATE DOMAIN memo AS TEXT;
CREATE DOMAIN datetime AS TIMESTAMP;
SQL
if [ -f "$demo_sql" ]; then
    "${psql[@]}" -d varn_test -1 -f "$demo_sql"
else
    echo "with-postgres.sh: $demo_sql not found; varn_test has no sample tables" >&2
fi

export VARN_PG_CONNINFO="host=$dir port=$port dbname=varn_test user=postgres"
export VARN_PG_SUPERUSER_CONNINFO="host=$dir port=$port dbname=postgres user=postgres"
"$@" <&0 &
child=$!
status=0
wait "$child" || status=$?
child=
exit "$status"
