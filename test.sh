#!/usr/bin/env bash
# Builds RQ-30 and runs every test.
#   ./test.sh          build in build/ and run the suite
#   ./test.sh --asan   the same with AddressSanitizer and UBSan in build-asan/
set -euo pipefail
cd "$(dirname "$0")"

build=build
cmake_extra=()
for arg in "$@"; do
  case "$arg" in
    --asan) build=build-asan; cmake_extra+=(-DRQ30_SANITIZE=ON -DRQ30_WITH_BENCH=OFF) ;;
    *) echo "usage: ./test.sh [--asan]" >&2; exit 2 ;;
  esac
done

tools/install-deps.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${cmake_extra[@]}" >/dev/null
cmake --build "$build"

# Qt wants a private runtime folder; tests never touch the user's own.
export XDG_RUNTIME_DIR="$PWD/$build/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
