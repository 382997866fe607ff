#!/usr/bin/env bash
# Installs every Debian package the project builds, tests and runs with; with --fuzz, also
# clang and libFuzzer for the fuzzing build (scripts/fuzz.sh).
# Idempotent: packages already present are left as they are.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build
  libopenscenegraph-dev openscenegraph
  qtbase5-dev libqt5sql5-sqlite libqt5sql5-psql
  libgdal-dev gdal-bin
  mdbtools mdbtools-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth libgl1-mesa-dri libgl1-mesa-dev mesa-utils
  sqlite3 bc libsqlite3-dev
  postgresql
  locales fonts-wqy-microhei
  clang-format clang-tidy
)
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libfuzzer-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "install-deps: installed ${missing[*]}"
