#!/usr/bin/env bash
# Installs what the project needs, builds it and runs the whole test suite.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   scripts/test.sh --tsan      ThreadSanitizer build in build-tsan/ (Qt's and OpenThreads' own
#                               internals, which are not instrumented, are suppressed: scripts/tsan.supp)
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  flags=(-DCMAKE_BUILD_TYPE=Debug -DPN_SANITIZE=ON -DPN_BUILD_BENCH=OFF)
  # Memory errors, leaks and undefined behaviour are checked in full. Leaks are checked at
  # exit, with the plug-ins (ours, osgDB's, Qt's) kept mapped until then so that their code
  # is named; scripts/lsan.supp suppresses only leaks inside third-party libraries.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
elif [ "${1:-}" = "--tsan" ]; then
  build=build-tsan
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DPN_TSAN=ON -DPN_BUILD_BENCH=OFF)
  export TSAN_OPTIONS="suppressions=$PWD/scripts/tsan.supp:halt_on_error=1"
fi

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja "${flags[@]}"
cmake --build "$build" -j "$(nproc)"

# The tests that read from a PostgreSQL server get a private one (scripts/pg-cluster.sh),
# stopped and removed however the run ends; without it they fail rather than skip.
pg_cluster=$PWD/scripts/pg-cluster.sh
pg_dir=$(mktemp -d)
trap 'bash "$pg_cluster" stop "$pg_dir" || true; rm -rf "$pg_dir"' EXIT
bash "$pg_cluster" start "$pg_dir"
set -a
# shellcheck disable=SC1091
. "$pg_dir/env"
set +a
export PN_REQUIRE_POSTGRES=1

cd "$build"
# Some tests render real pictures: give them a display of their own. A test that fails
# is run once more; the output of its failing run stays in the log.
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j 2 --repeat until-pass:2
