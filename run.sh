#!/usr/bin/env bash
# Builds RQ-30 and starts the controller simulator on COM1.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target vtq45-sim rq30ctl
echo "Simulator on COM1. In another terminal try:"
echo "  build/cli/rq30ctl --port COM1 ident"
echo "  build/cli/rq30ctl --port COM1 read 11"
echo "Ctrl+C stops the simulator."
exec build/sim/vtq45-sim --com 1
