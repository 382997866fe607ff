#!/usr/bin/env bash
# Prints the size of the test suite against the code it tests, in non-blank,
# non-comment lines of C++ (benchmarks count as neither, fuzz targets as tests). With --max P it fails when
# the tests are more than P percent of the code.
set -euo pipefail
cd "$(dirname "$0")/.."

count() { xargs -r cat | grep -cvE '^\s*(//.*)?$' || true; }
code=$(git ls-files '*.cpp' '*.h' | grep -vE '^(tests|bench|fuzz)/' | count)
tests=$(git ls-files '*.cpp' '*.h' | grep -E '^(tests|fuzz)/' | count)
percent=$((100 * tests / code))
echo "tests: ${tests} lines, code: ${code} lines, tests are ${percent}% of the code"

if [ "${1:-}" = "--max" ] && [ "$percent" -gt "${2:?--max takes a percentage}" ]; then
    echo "test-ratio: over ${2}%" >&2
    exit 1
fi
