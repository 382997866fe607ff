#!/usr/bin/env bash
# A private PostgreSQL cluster for the test suite, all of it inside one folder:
#   scripts/pg-cluster.sh start DIR   initialises and starts it, then writes DIR/env
#   scripts/pg-cluster.sh stop DIR    stops it (the folder is the caller's to remove)
#
# The server listens on 127.0.0.1 only, on a free port, with its unix socket in DIR/run.
# TCP logins need a password (SCRAM); the socket admits only the cluster's own superuser
# (peer). It runs as an unprivileged user: Debian's `postgres` system user when this is
# run as root, else the calling user. Any other cluster on the machine (apt's "main") is
# never looked at or touched.
#
# Made by start:
#   role `pn` (LOGIN CREATEDB) with a random password, database `pn_test` owned by it (UTF8)
#   DIR/pgpass  (0600)  the password for pn, for libpq
#   DIR/env             PN_TEST_POSTGRES=postgresql://pn@127.0.0.1:PORT/pn_test
#                       PGPASSFILE=DIR/pgpass
set -euo pipefail

usage() {
  echo "usage: $0 start|stop DIR" >&2
  exit 2
}
[ $# -eq 2 ] || usage
command=$1
mkdir -p "$2"
dir=$(cd "$2" && pwd)
data=$dir/data
run=$dir/run
log=$dir/server.log

# The newest server installed: /usr/lib/postgresql/<version>/bin.
bin=
for candidate in $(printf "%s\n" /usr/lib/postgresql/*/bin | sort -V); do
  [ -x "$candidate/initdb" ] && [ -x "$candidate/pg_ctl" ] && bin=$candidate
done
if [ -z "$bin" ]; then
  echo "pg-cluster: no PostgreSQL server under /usr/lib/postgresql (install the postgresql package)" >&2
  exit 1
fi

# Everything the server touches runs as `owner`.
if [ "$(id -u)" -eq 0 ]; then
  owner=postgres
  if ! id -u "$owner" >/dev/null 2>&1; then
    echo "pg-cluster: running as root, but there is no '$owner' system user to run the server as" >&2
    exit 1
  fi
  as_owner() { runuser -u "$owner" -- "$@"; }
else
  owner=$(id -un)
  as_owner() { "$@"; }
fi

pg_ctl_() { as_owner "$bin/pg_ctl" -D "$data" "$@"; }

stop() {
  if [ -f "$data/postmaster.pid" ]; then
    pg_ctl_ stop -m fast -w -t 60 >/dev/null
  fi
}

# A TCP port on 127.0.0.1 that nothing answers on now. Taken at random from the range the
# kernel does not hand out to outgoing connections, away from well-known servers.
candidate_port() {
  local port
  for _ in $(seq 1 50); do
    port=$((20000 + (RANDOM * 32768 + RANDOM) % 12000))
    # A connection that succeeds means something listens there.
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$port"
      return 0
    fi
  done
  return 1
}

start() {
  if [ -f "$data/postmaster.pid" ]; then
    echo "pg-cluster: a server already runs from $data" >&2
    exit 1
  fi
  rm -rf "$data" "$run"
  mkdir -p "$data" "$run"
  : >"$log"
  if [ "$owner" != "$(id -un)" ]; then
    chown "$owner" "$data" "$run" "$log"
    # The server's user passes through the folder to its own parts, and sees nothing else.
    chmod 0711 "$dir"
    if ! as_owner test -w "$data"; then
      echo "pg-cluster: $owner cannot reach $data (a parent folder closed to it?)" >&2
      exit 1
    fi
  fi
  chmod 0700 "$data" "$run"

  as_owner "$bin/initdb" -D "$data" --encoding=UTF8 --locale=C --auth-local=peer \
    --auth-host=scram-sha-256 --no-sync >"$dir/initdb.log" 2>&1 || {
    cat "$dir/initdb.log" >&2
    exit 1
  }
  cat >>"$data/postgresql.conf" <<EOF

# The test suite's private cluster (scripts/pg-cluster.sh)
listen_addresses = '127.0.0.1'
unix_socket_directories = '$run'
password_encryption = 'scram-sha-256'
max_connections = 200
fsync = off
synchronous_commit = off
full_page_writes = off
include_if_exists = 'port.conf'
EOF

  # The port is free when looked at, but another program may take it before the server
  # binds it: then another port is tried.
  local port="" started=""
  for _ in 1 2 3 4 5 6 7 8; do
    port=$(candidate_port) || break
    echo "port = $port" | as_owner tee "$data/port.conf" >/dev/null
    if pg_ctl_ start -w -t 60 -l "$log" >/dev/null 2>&1; then
      started=1
      break
    fi
    if ! grep -q -i -E "could not bind|address already in use|could not create any TCP/IP sockets" "$log"; then
      break
    fi
    : >"$log"
  done
  if [ -z "$started" ]; then
    echo "pg-cluster: the server did not start:" >&2
    cat "$log" >&2
    exit 1
  fi

  local password
  password=$(od -An -N24 -tx1 /dev/urandom | tr -d ' \n')
  # The password goes by standard input, never on a command line.
  if ! as_owner "$bin/psql" -X -q -h "$run" -p "$port" -d postgres -v ON_ERROR_STOP=1 >/dev/null <<EOF
CREATE ROLE pn LOGIN CREATEDB PASSWORD '$password';
CREATE DATABASE pn_test OWNER pn ENCODING 'UTF8' TEMPLATE template0;
EOF
  then
    stop
    exit 1
  fi
  (
    umask 077
    echo "127.0.0.1:$port:*:pn:$password" >"$dir/pgpass"
    printf 'PN_TEST_POSTGRES=postgresql://pn@127.0.0.1:%s/pn_test\nPGPASSFILE=%s\n' "$port" "$dir/pgpass" \
      >"$dir/env"
  )
  chmod 0600 "$dir/pgpass"
  echo "pg-cluster: PostgreSQL $(basename "$(dirname "$bin")") on 127.0.0.1:$port, data in $data"
}

case $command in
  start) start ;;
  stop) stop ;;
  *) usage ;;
esac
