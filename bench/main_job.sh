#!/usr/bin/env bash
# The main job on a city-sized network: time to the first complete picture and peak memory.
#   bench/main_job.sh [BUILD_DIR] [SEGMENTS]     (defaults: build, 300000)
# Generates the network once into BUILD_DIR/bench-network, then renders it headless under
# Xvfb the way scripts/demo.sh does, and prints the viewer's summary.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
segments=${2:-300000}
dir=$build/bench-network-$segments
if [ ! -f "$dir/pipe.xml" ]; then
  "$build/bin/pn_make_sample" --out "$dir" --segments "$segments"
fi
cd "$build/bin"
start=$(date +%s.%N)
xvfb-run -a -s "-screen 0 1920x1080x24" \
  ./pipeviewer --pipe-xml "$dir/pipe.xml" --headless --screenshot "$dir/network.png" --size 1280x800 --wait 600
end=$(date +%s.%N)
echo "wall time of the whole run: $(echo "$end - $start" | bc) s"
