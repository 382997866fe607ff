#!/usr/bin/env bash
# Installs what the project needs, builds it, and runs the host application on the
# bundled sample. Extra arguments go to pipeviewer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
cd build/bin
if [ -z "${DISPLAY:-}" ]; then
  ./pipeviewer --headless --script ../../scripts/demo.script "$@"
else
  ./pipeviewer --script ../../scripts/demo.script "$@"
fi
