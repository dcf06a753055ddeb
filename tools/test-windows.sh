#!/usr/bin/env bash
# Builds the plain C++ core (link/, common/, paramset/, cli/) for 64-bit Windows with
# mingw-w64 and runs its tests under Wine, headless, including the Win32
# serial port and rq30ctl.exe against the simulator on a pty.
#
#   tools/test-windows.sh
#
# Installs what it needs on Debian (as root or with sudo) and is quiet when
# all is there. Everything stays in build-windows/: the native simulator
# (native/), the Windows build (win/) and a private 64-bit Wine prefix
# (wineprefix/). Exits non-zero when a test fails.
#
# Wine's COM names are set in HKLM\Software\Wine\Ports, which Wine applies
# when its server starts: COM1 and COM2 go to two simulators, COM3..COM8 to
# a path that does not exist. Without an entry Wine would give COMn to the
# machine's real /dev/ttyS*; the script checks that its own mapping won
# before any test runs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows

log() { echo "test-windows: [${SECONDS}s] $*"; }

# --- packages ----------------------------------------------------------------
packages=(cmake ninja-build g++ g++-mingw-w64-x86-64-posix googletest wine wine64)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  log "installing ${missing[*]}"
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# --- Wine, headless and private ----------------------------------------------
export WINEPREFIX=$out/wineprefix
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko: the tests are console programs, and the prefix is made
# without asking to download either.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wine=$(command -v wine)
missing_port=$out/no-such-port  # never created

mkdir -p "$out"
# A server left over by an interrupted run of this prefix would hold it.
wineserver -k 2>/dev/null || true
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  log "creating the Wine prefix"
  "$wine" wineboot --init >/dev/null 2>&1
fi

map_port() {  # COMn target
  "$wine" reg add 'HKLM\Software\Wine\Ports' /v "COM$1" /t REG_SZ /d "$2" /f >/dev/null
}

sims=()
cleanup() {
  local status=$?
  for pid in "${sims[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  # Leave no pty behind a COM name of the prefix.
  if [ -f "$WINEPREFIX/system.reg" ]; then
    map_port 1 "$missing_port" || true
    map_port 2 "$missing_port" || true
  fi
  wineserver -k 2>/dev/null || true
  exit "$status"
}
trap cleanup EXIT

# --- the simulator, built natively -------------------------------------------
log "building the simulator"
cmake -S . -B "$out/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRQ30_WITH_QT=OFF -DRQ30_WITH_TESTS=OFF -DRQ30_WITH_BENCH=OFF -DRQ30_DIRS="link;sim" >/dev/null
build_quietly() {  # build folder, cmake --build arguments...
  local dir=$1
  shift
  if ! cmake --build "$dir" "$@" >"$dir/build.log" 2>&1; then
    cat "$dir/build.log"
    exit 1
  fi
  grep -A3 'warning:' "$dir/build.log" || true
}
build_quietly "$out/native" --target vtq45-sim

# Started in this shell (not in a command substitution) so that their ids
# stay known to the clean-up.
start_sim() {  # n: the simulator for COMn; its pty path goes to sim<n>.out
  rm -f "$out/sim$1.out"
  "$out/native/sim/vtq45-sim" >"$out/sim$1.out" 2>"$out/sim$1.err" &
  sims+=($!)
}
pty_of() {  # n: the pty path, once the simulator serves it
  for _ in $(seq 50); do
    [ -s "$out/sim$1.out" ] && break
    sleep 0.1
  done
  head -n 1 "$out/sim$1.out"
}
start_sim 1
start_sim 2
pty1=$(pty_of 1)
pty2=$(pty_of 2)
[ -c "$pty1" ] && [ -c "$pty2" ] || { log "the simulator did not start"; exit 1; }

# --- COM names: set, then have Wine's next start apply them ------------------
map_port 1 "$pty1"
map_port 2 "$pty2"
for n in 3 4 5 6 7 8; do map_port "$n" "$missing_port"; done
timeout 60 wineserver -w || wineserver -k
# From here on one server serves the build and the tests, so that no test
# program pays Wine's start (GoogleTest's listing at build time allows 5 s).
wineserver -p >"$out/wineserver.log" 2>&1
"$wine" cmd /c exit >/dev/null 2>&1
expected=("$pty1" "$pty2" "$missing_port" "$missing_port" "$missing_port" "$missing_port"
          "$missing_port" "$missing_port")
for _ in $(seq 50); do
  wrong=0
  for n in 1 2 3 4 5 6 7 8; do
    [ "$(readlink "$WINEPREFIX/dosdevices/com$n" || true)" = "${expected[n - 1]}" ] || wrong=$n
  done
  [ "$wrong" -eq 0 ] && break
  sleep 0.2
done
if [ "$wrong" -ne 0 ]; then
  log "COM$wrong is not mapped as set: $(readlink "$WINEPREFIX/dosdevices/com$wrong" || echo none)"
  exit 1
fi
log "COM1 -> $pty1, COM2 -> $pty2, COM3..COM8 -> nothing"

# --- the Windows build and its tests ----------------------------------------
log "building for Windows"
cmake -S . -B "$out/win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DGTest_DIR="$root/cmake/gtest-source" \
  -DRQ30_WITH_QT=OFF -DRQ30_WITH_BENCH=OFF -DRQ30_DIRS="common;link;paramset;cli;wintest" >/dev/null
build_quietly "$out/win"

log "testing under Wine"
status=0
ctest --test-dir "$out/win" --output-on-failure -j "$(nproc)" >"$out/ctest.log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  cat "$out/ctest.log"
else
  grep -E 'tests passed|Total Test time' "$out/ctest.log"
fi
# The time-outs as Wine measured them.
grep -h '^measured:' "$out/win/Testing/Temporary/LastTest.log" | sort -u || true
log "done"
exit "$status"
