#!/usr/bin/env bash
# The main job on a fresh machine: installs what the project needs, builds it (which also
# generates the sample district network into build/sample), and shows the network.
# With a display it opens the viewer; without one it renders network.png (under Xvfb)
# and prints a summary. Extra arguments go to pipeviewer.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
cd build/bin
if [ -n "${DISPLAY:-}" ] && [ "${1:-}" != "--headless" ]; then
  exec ./pipeviewer --pipe-xml ../sample/pipe.xml "$@"
fi
[ "${1:-}" = "--headless" ] && shift
xvfb-run -a -s "-screen 0 1920x1080x24" \
  ./pipeviewer --pipe-xml ../sample/pipe.xml --headless --screenshot "$root/network.png" "$@"
