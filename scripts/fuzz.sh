#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz/*.cpp, clang with libFuzzer, ASan and UBSan, natively) and
# runs each against its committed corpus (tests/fuzz/corpus/NAME) and the inputs that once failed
# (tests/fuzz/found/NAME).
#
#   fuzz.sh SECONDS   runs each target that long, two at a time, minimises the grown corpus back
#                     into the repository and writes the figures into docs/RELIABILITY.md
#   fuzz.sh --short   replays every committed input, then fuzzes each target for 3 s (make test)
#
# A failing input is kept in tests/fuzz/found/NAME and ends the run with an error.
set -uo pipefail
cd "$(dirname "$0")/.."
out=build/fuzz
mkdir -p "$out/obj"
CXX=${FUZZ_CXX:-clang++}
SAN=(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
FLAGS=(-std=c++20 -g -O1 -Isrc -Itests/fuzz "${SAN[@]}")

short=0
seconds=${1:-600}
[ "$seconds" = --short ] && { short=1; seconds=3; }
# Logs and grown inputs of a short run go apart, so it can run beside a long one.
runs=$out/$([ $short -eq 1 ] && echo short || echo long)
mkdir -p "$runs"

# The platform-free sources, once, instrumented for coverage.
objs=()
for src in $(find src -name '*.cpp' ! -name '*_win.cpp' | sort); do
  obj=$out/obj/$(echo "${src%.cpp}" | tr / _).o
  if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ] || [ -n "$(find src -name '*.h' -newer "$obj" | head -1)" ]; then
    "$CXX" "${FLAGS[@]}" -fsanitize=fuzzer-no-link -c "$src" -o "$obj" || exit 1
  fi
  objs+=("$obj")
done
targets=()
for src in tests/fuzz/*.cpp; do
  name=$(basename "$src" .cpp)
  if [ ! -x "$out/$name" ] || [ -n "$(find "$src" tests/fuzz/FuzzInput.h "${objs[@]}" -newer "$out/$name" | head -1)" ]; then
    "$CXX" "${FLAGS[@]}" -fsanitize=fuzzer "$src" "${objs[@]}" -o "$out/$name" || exit 1
  fi
  targets+=("$name")
done

# run NAME: fuzzes one target; its log goes to $runs/NAME.log.
run() {
  local name=$1 grown=$runs/grown-$1
  mkdir -p "tests/fuzz/corpus/$name" "tests/fuzz/found/$name"
  rm -rf "$grown" && mkdir -p "$grown"
  # Replaying the inputs that once failed comes first; they are files, not a corpus to grow.
  local found=(tests/fuzz/found/"$name"/*)
  if [ -e "${found[0]}" ]; then
    "$out/$name" "${found[@]}" >"$runs/$name.found.log" 2>&1 || { echo "$name: a once-failing input fails again"; return 1; }
  fi
  "$out/$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=1024 \
    -artifact_prefix="tests/fuzz/found/$name/" "$grown" "tests/fuzz/corpus/$name" >"$runs/$name.log" 2>&1
}

failed=0
pids=()
for name in "${targets[@]}"; do
  run "$name" &
  pids+=($!)
  # Two at a time: the machine is shared.
  if [ ${#pids[@]} -ge 2 ]; then wait "${pids[0]}" || failed=1; pids=("${pids[@]:1}"); fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done

rows=""
for name in "${targets[@]}"; do
  log=$runs/$name.log
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  result=$(grep -q '^==[0-9]*==ERROR\|deadly signal\|Test unit written' "$log" && echo FAILED || echo ok)
  [ "$result" = ok ] || failed=1
  if [ $short -eq 0 ] && [ "$result" = ok ]; then
    # Keep only the inputs that add coverage.
    merged=$runs/merged-$name
    rm -rf "$merged" && mkdir -p "$merged"
    "$out/$name" -merge=1 "$merged" "tests/fuzz/corpus/$name" "$runs/grown-$name" >"$runs/$name.merge.log" 2>&1 &&
      rm -rf "tests/fuzz/corpus/$name" && mv "$merged" "tests/fuzz/corpus/$name"
  fi
  corpus=$(find "tests/fuzz/corpus/$name" -type f | wc -l)
  echo "fuzz $name: ${execs:-?} executions in ${seconds} s, cov ${cov:-?}, features ${ft:-?}, corpus $corpus: $result"
  rows+="| $name | ${seconds} s | ${execs:-?} | ${cov:-?} | ${ft:-?} | $corpus | $result |"$'\n'
done

if [ $short -eq 0 ]; then
  table="Run of $(date -u '+%Y-%m-%d %H:%M UTC') with $CXX ($("$CXX" --version | head -1)), two targets at a time, niced."$'\n\n'
  table+="| target | time | executions | edges covered | features | corpus kept | result |"$'\n'
  table+="|---|---|---|---|---|---|---|"$'\n'"$rows"
  python3 scripts/doc-section.py docs/RELIABILITY.md fuzz "$table"
fi
exit $failed
