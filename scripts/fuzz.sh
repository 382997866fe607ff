#!/usr/bin/env bash
# Coverage-guided fuzzing of the readers of outside input (fuzz/): builds the libFuzzer
# targets with clang in build-fuzz/, makes their seed corpora with the project's own
# generators, and runs each target for SECONDS (default 30). Fails on any crash, leak,
# timeout or memory blow-up; the input that caused it is kept in build-fuzz/artifacts/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     e.g. scripts/fuzz.sh 600 pipe_xml
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(messages tile_name section_size pipe_xml access_file)

bash scripts/install-deps.sh --fuzz

# The targets alone, with clang (the normal and sanitizer builds stay GCC).
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPN_FUZZ=ON \
  -DPN_BUILD_TESTS=OFF -DPN_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j 2

# The seeds. The sample generator comes from the normal build.
if [ ! -x build/bin/pn_make_sample ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j 2 --target pn_make_sample
fi
fuzz=$root/build-fuzz
corpus=$fuzz/corpus
rm -rf "$fuzz/sample"
build/bin/pn_make_sample --out "$fuzz/sample" --database mdb >/dev/null
build/bin/pn_make_sample --out "$fuzz/sample-sqlite" >/dev/null
for t in "${targets[@]}"; do
  mkdir -p "$corpus/$t"
  [ -d fuzz/seeds/$t ] && cp fuzz/seeds/$t/* "$corpus/$t/"
done
seed() { # seed TARGET NAME: stdin into the target's corpus
  if [ -d "$corpus/$1" ]; then cat >"$corpus/$1/$2"; else cat >/dev/null; fi
}
gbk() { iconv -f UTF-8 -t GBK; } # text as the program holds it
# The messages the tests send.
n=0
grep -rhoP '"(OpenLine|OpenKml|Visual|Remove|DigByLine|DigByRegion|SetUpTunnel|HighLight|LayerVisible|Opacity):[^"]*"' tests/ |
  sort -u | sed 's/^"//; s/"$//' | while IFS= read -r message; do
  n=$((n + 1))
  printf '%s' "$message" | gbk | seed messages "test-$n"
done
# The tiles of the sample's graph: four levels of a quadtree, as the graph names them.
for level in 0 1 2 3; do
  side=$((1 << level))
  for ((x = 0; x < side; x += 3)); do
    for ((y = 0; y < side; y += 3)); do
      printf '1.%d_%d_%d.pipe_pseudo_zem' $level $x $y | seed tile_name "tile-$level-$x-$y"
    done
  done
done
# Every section size of the sample network.
for table in $(sqlite3 "$fuzz/sample-sqlite/network.sqlite" "SELECT name FROM sqlite_master WHERE name LIKE '%Line'"); do
  sqlite3 "$fuzz/sample-sqlite/network.sqlite" "SELECT DISTINCT \"断面尺寸\" FROM $table"
done | sort -u | while IFS= read -r size; do
  printf '%s' "$size" | seed section_size "size-$size"
done
# The sample's pipe.xml, and the same saved as GBK.
seed pipe_xml sample.xml <"$fuzz/sample/pipe.xml"
sed 's/encoding="UTF-8"/encoding="GBK"/; s|str="[^"]*"|str="D:\\管网数据\\network.mdb"|' "$fuzz/sample/pipe.xml" |
  gbk | seed pipe_xml sample-gbk.xml
# The sample's Access file.
[ -d "$corpus/access_file" ] && cp "$fuzz/sample/network.mdb" "$corpus/access_file/sample.mdb"

# The runs. mdbtools reports every damaged page on stderr: each target's output goes to
# its log, of which the end is shown.
mkdir -p "$fuzz/artifacts" "$fuzz/logs" "$fuzz/tmp"
export TMPDIR=$fuzz/tmp # the Access target's scratch files
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
for t in "${targets[@]}"; do
  dict=()
  [ -f fuzz/$t.dict ] && dict=(-dict=fuzz/$t.dict)
  echo "fuzz: $t for ${seconds} s"
  if "$fuzz/bin/fuzz_$t" "$corpus/$t" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$fuzz/artifacts/$t-" >"$fuzz/logs/$t.log" 2>&1; then
    grep -E '^#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb' "$fuzz/logs/$t.log" | sed 's/^/  /'
  else
    failed+=("$t")
    grep -vE '^(warning: |#[0-9]+ +(NEW|REDUCE|pulse|RELOAD))' "$fuzz/logs/$t.log" | tail -40
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: FAILED: ${failed[*]} (inputs in build-fuzz/artifacts/, logs in build-fuzz/logs/)" >&2
  exit 1
fi
echo "fuzz: no faults in ${targets[*]}"
