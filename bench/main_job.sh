#!/usr/bin/env bash
# The main job on a city-sized network: time to the first complete picture and peak memory,
# against the floor of the same run: the sqlite3 shell reading every row of every table.
#   bench/main_job.sh [BUILD_DIR] [SEGMENTS]     (defaults: build, 300000)
# Generates the network once into BUILD_DIR/bench-network-SEGMENTS, then renders it headless
# under Xvfb the way scripts/demo.sh does, and prints the viewer's summary and the ratio.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
segments=${2:-300000}
dir=$build/bench-network-$segments
if [ ! -f "$dir/pipe.xml" ]; then
  "$build/bin/pn_make_sample" --out "$dir" --segments "$segments"
fi
database=$(ls "$dir"/*.sqlite | head -n 1)

now() { date +%s.%N; }
# Every row of every table, as text to nowhere: what reading the file costs at the least.
floor_start=$(now)
for table in $(sqlite3 "$database" "SELECT name FROM sqlite_master WHERE type = 'table'"); do
  sqlite3 "$database" "SELECT * FROM \"$table\"" >/dev/null
done
floor=$(echo "$(now) - $floor_start" | bc)
echo "sqlite3 reads every row: $floor s"

cd "$build/bin"
start=$(now)
summary=$(xvfb-run -a -s "-screen 0 1920x1080x24" \
  ./pipeviewer --pipe-xml "$dir/pipe.xml" --headless --screenshot "$dir/network.png" --size 1280x800 --wait 600)
end=$(now)
echo "$summary"
echo "wall time of the whole run: $(echo "$end - $start" | bc) s"
first=$(echo "$summary" | sed -n 's/^time to first picture: \([0-9.e+-]*\) s$/\1/p')
[ -n "$first" ] && echo "first picture / sqlite3 read: $(echo "scale=2; $first / $floor" | bc)x"
