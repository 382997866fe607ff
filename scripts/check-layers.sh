#!/usr/bin/env bash
# Fails when a folder includes a folder above it. The folders, lowest first: each may
# include itself and the folders before it, never one after it. The host's two
# libraries count as folders of their own (the manager below the geospatial layer,
# the viewer above it). Tests, benchmarks and fuzz targets may include anything.
set -euo pipefail
cd "$(dirname "$0")/.."

order=(text Torvik geo Selmor loft database network importer modeling layers plugin paging tools answers section assets sample app)

rank_of() {
    local i
    for i in "${!order[@]}"; do
        [ "${order[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}

bad=0
while IFS= read -r file; do
    case "$file" in
    host/*) unit=$(echo "$file" | cut -d/ -f2) ;;
    *) unit=${file%%/*} ;;
    esac
    from=$(rank_of "$unit")
    [ "$from" -ge 0 ] || continue
    while IFS= read -r target; do
        to=$(rank_of "$target")
        if [ "$to" -gt "$from" ]; then
            echo "$file: includes $target/, which is above $unit/" >&2
            bad=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([A-Za-z_]*\)\/.*/\1/p' "$file" | sort -u)
done < <(git ls-files '*.cpp' '*.h' | grep -vE '^(tests|bench|fuzz)/')

if [ "$bad" -ne 0 ]; then
    echo "check-layers: includes point up (order, lowest first: ${order[*]})" >&2
    exit 1
fi
echo "check-layers: every include points down (${order[*]})"
