#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over the program's sources (tests and
# benchmarks aside), from the compile commands of a build folder (default build/,
# configured if needed). Fails on any finding. Files may be given to check only those.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}

command -v clang-tidy >/dev/null || bash scripts/install-deps.sh
[ -f "$build/compile_commands.json" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
# Generated headers (Qt's) must exist before the sources are read.
cmake --build "$build" --target pn_text >/dev/null

# clang reads and writes UTF-8 only: the GBK execution charset is gcc's, and changes
# nothing that the checks look at.
db=$(mktemp -d)
trap 'rm -rf "$db"' EXIT
sed 's/-fexec-charset=GBK//g' "$build/compile_commands.json" > "$db/compile_commands.json"

if [ $# -gt 0 ]; then
    files=("$@")
else
    mapfile -t files < <(git ls-files '*.cpp' | grep -vE '^(tests|bench)/')
fi
out=$(printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$db" --quiet 2>/dev/null || true)
findings=$(echo "$out" | grep -E '(warning|error):' || true)
if [ -n "$findings" ]; then
    echo "$out"
    echo "tidy: $(echo "$findings" | wc -l) findings" >&2
    exit 1
fi
echo "tidy: clean (${#files[@]} files)"
