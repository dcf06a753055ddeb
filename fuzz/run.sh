#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) in
# build-fuzz/ and runs each for SECONDS on a fresh copy of its seed corpus.
#   fuzz/run.sh 60        every target for 60 s (CI)
#   fuzz/run.sh 600 link  only fuzz_link, for 10 minutes
#   FUZZ_RUNS=1000000 fuzz/run.sh 7200   each target until a million executions
#                                        (or two hours)
# Fails when a target finds a crash, a sanitizer report or a broken property;
# the input that did it is kept in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: fuzz/run.sh SECONDS [TARGET...]" >&2
  exit 2
fi

tools/install-deps.sh

build=build-fuzz
sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS="$sanitize" -DCMAKE_CXX_FLAGS="$sanitize" \
  -DRQ30_WITH_QT=OFF -DRQ30_WITH_TESTS=OFF -DRQ30_WITH_BENCH=OFF \
  -DRQ30_DIRS="common;link;paramset;fuzz" >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do
    name=$(basename "$f" .cpp)
    name=${name#fuzz_}
    # The parameter file target joins once its library exists.
    if [ "$name" = param_file ] && [ ! -f paramset/CMakeLists.txt ]; then continue; fi
    targets+=("$name")
  done
fi
cmake --build "$build" --target "${targets[@]/#/fuzz_}" -- -j2

declare -A max_len=([link]=1024 [ini_file]=4096 [settings_ini]=1024 [number_text]=256 [param_file]=2048)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/findings"
passed=0
failed=0
for name in "${targets[@]}"; do
  # Fuzzing grows its corpus; the committed seeds stay as they are.
  work="$build/corpus-run/$name"
  rm -rf "$work"
  mkdir -p "$work"
  cp fuzz/corpus/"$name"/* "$work"/
  log="$build/fuzz_$name.log"
  status=0
  runs_option=()
  [ -n "${FUZZ_RUNS:-}" ] && runs_option=(-runs="$FUZZ_RUNS")
  "$build/fuzz/fuzz_$name" -max_total_time="$seconds" "${runs_option[@]}" -timeout=10 -rss_limit_mb=2048 \
    -max_len="${max_len[$name]:-4096}" -use_value_profile=1 -print_final_stats=1 \
    -artifact_prefix="$build/findings/${name}-" "$work" >"$log" 2>&1 || status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1 || echo "?")
  if [ "$status" -eq 0 ]; then
    passed=$((passed + 1))
    took=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | grep -o '[0-9]* second' | grep -o '[0-9]*' || echo "$seconds")
    echo "fuzz_$name: $runs executions in $took s, no finding"
  else
    failed=$((failed + 1))
    echo "fuzz_$name: FINDING after $runs executions (exit $status); see $log"
    grep -m 20 -E 'ERROR|runtime error|fuzz_[a-z_]+: |artifact' "$log" || tail -20 "$log"
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
