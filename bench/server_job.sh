#!/usr/bin/env bash
# The main job on a network held by a PostgreSQL server, read tile by tile by extent:
#   bench/server_job.sh [BUILD_DIR] [SEGMENTS]     (defaults: build, 3000000)
# Generates the network once into BUILD_DIR/bench-network-SEGMENTS (as main_job.sh does),
# starts a private server (scripts/pg-cluster.sh) in BUILD_DIR/bench-pg, copies the network
# into it with pn_import, and renders it headless under Xvfb twice: each of the deepest tiles
# asking for its own extent, and with --whole-kinds. Then the same for the network copied
# into an indexed SQLite file (BENCH_SERVER=0 and BENCH_SQLITE=0 leave either out). The yardstick is the generated
# 300,000-segment file rendered the main job's way in the same run (BENCH_BASELINE=0 leaves
# it out). Statements the server took longer than BENCH_SLOW_MS (default 200) over are
# listed from its log; BENCH_KEEP=1 leaves the server running for a look with psql.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
segments=${2:-3000000}
slow_ms=${BENCH_SLOW_MS:-200}

now() { date +%s.%N; }
elapsed() { echo "$(now) - $1" | bc; }

network() { # SEGMENTS -> the folder of the generated network
  local dir=$build/bench-network-$1
  if [ ! -f "$dir/pipe.xml" ]; then
    local start
    start=$(now)
    "$build/bin/pn_make_sample" --out "$dir" --segments "$1" >&2
    echo "generated $1 segments in $(elapsed "$start") s" >&2
  fi
  echo "$dir"
}

# pipe.xml with its conn element naming `conn`, the rest (the view) as generated: written
# beside the generated one so that the view's relative files still resolve.
pipe_xml_for() { # DIR NAME CONN
  sed "s|<conn str=\"[^\"]*\"/>|<conn str=\"$3\"/>|" "$1/pipe.xml" >"$1/$2"
  echo "$1/$2"
}

declare -A first peak
render() { # LABEL PIPE_XML [pipeviewer options]
  local label=$1 pipe=$2
  shift 2
  local start summary status=0
  start=$(now)
  summary=$(cd "$build/bin" && xvfb-run -a -s "-screen 0 1920x1080x24" ./pipeviewer --pipe-xml "$pipe" \
    --headless --screenshot "$(dirname "$pipe")/$label.png" --size 1280x800 --wait 1800 "$@") || status=$?
  echo "== $label"
  echo "$summary"
  # A kind that could not be read is on standard error; the others are still measured.
  [ "$status" -eq 0 ] || echo "pipeviewer ended with status $status"
  echo "wall time of the whole run: $(elapsed "$start") s"
  first[$label]=$(echo "$summary" | sed -n 's/^time to first picture: \([0-9.e+-]*\) s$/\1/p')
  peak[$label]=$(echo "$summary" | sed -n 's/^peak memory: \([0-9.]*\) MiB$/\1/p')
}

declare -A import_seconds
import() { # LABEL SOURCE TARGET
  local start
  start=$(now)
  "$build/bin/pn_import" "$2" --to "$3" >/dev/null 2>"$build/bench-import-$1.log" ||
    { cat "$build/bench-import-$1.log" >&2; return 1; }
  import_seconds[$1]=$(elapsed "$start")
  echo "imported into $1 in ${import_seconds[$1]} s ($(tail -n 1 "$build/bench-import-$1.log"))"
}

dir=$(network "$segments")
database=$dir/network.sqlite
rows=0
for table in $(sqlite3 "$database" "SELECT name FROM sqlite_master WHERE type = 'table'"); do
  rows=$((rows + $(sqlite3 "$database" "SELECT COUNT(*) FROM \"$table\"")))
done
echo "network: $rows rows in $database"

if [ "${BENCH_BASELINE:-1}" != 0 ]; then
  render file-300k "$(network 300000)/pipe.xml"
fi

if [ "${BENCH_SERVER:-1}" != 0 ]; then
# The server, stopped however this ends (unless kept).
pg=$build/bench-pg
stop_server() { [ "${BENCH_KEEP:-0}" = 1 ] || "$here/scripts/pg-cluster.sh" stop "$pg"; }
"$here/scripts/pg-cluster.sh" start "$pg"
trap stop_server EXIT
set -a
# shellcheck disable=SC1091
. "$pg/env"
set +a
import server "$dir/pipe.xml" "$PN_TEST_POSTGRES"
# The viewer's slow statements go to the server's log; only its superuser may say so (as
# root, the cluster runs as postgres and admits it on its socket).
port=${PN_TEST_POSTGRES##*:}
port=${port%%/*}
if [ "$(id -u)" -eq 0 ]; then
  runuser -u postgres -- psql -X -q -h "$pg/run" -p "$port" -d postgres \
    -c "ALTER SYSTEM SET log_min_duration_statement = $slow_ms" -c "SELECT pg_reload_conf()" >/dev/null
fi
server_xml=$(pipe_xml_for "$dir" pipe-server.xml "$PN_TEST_POSTGRES")
render server-extent "$server_xml"
render server-whole "$server_xml" --whole-kinds
echo "== statements over $slow_ms ms in the server's log, slowest first (10 shown)"
# Qt's driver prepares each query: its text is on the line after the duration.
awk '/ duration: / { ms = $0; sub(/.* duration: /, "", ms); sub(/ ms.*/, "", ms); next }
     ms != "" && /prepare: PREPARE/ { text = $0; sub(/.*prepare: PREPARE [^ ]* AS /, "", text); print ms " ms: " text }
     { ms = "" }' "$pg/server.log" | sort -rn | head -n 10 | cut -c1-400 || true
fi

if [ "${BENCH_SQLITE:-1}" != 0 ]; then
  rm -f "$dir/indexed.sqlite"
  import sqlite "$dir/pipe.xml" "$dir/indexed.sqlite"
  sqlite_xml=$(pipe_xml_for "$dir" pipe-indexed.xml "$dir/indexed.sqlite")
  render sqlite-extent "$sqlite_xml"
  render sqlite-whole "$sqlite_xml" --whole-kinds
fi

echo
echo "== $segments segments, $rows rows"
printf "%-14s %10s %12s %16s %12s\n" run import/s "rows/s" "first picture/s" "peak MiB"
for label in file-300k server-extent server-whole sqlite-extent sqlite-whole; do
  [ -n "${first[$label]+set}" ] || continue
  store=${label%-*}
  seconds=${import_seconds[$store]:-}
  rate=
  [ -n "$seconds" ] && rate=$(echo "$rows / $seconds" | bc)
  printf "%-14s %10s %12s %16s %12s\n" "$label" "${seconds:+$(printf %.1f "$seconds")}" "$rate" \
    "${first[$label]}" "${peak[$label]}"
done
if [ -n "${first[file-300k]:-}" ]; then
  for label in server-extent server-whole sqlite-extent sqlite-whole; do
    [ -n "${first[$label]:-}" ] || continue
    echo "$label: first picture $(echo "scale=2; ${first[$label]} / ${first[file-300k]}" | bc)x," \
      "peak memory $(echo "scale=2; ${peak[$label]} / ${peak[file-300k]}" | bc)x the 300,000-segment file's"
  done
fi
