#!/usr/bin/env bash
# Makes the README's pictures: the program on a virtual display (Xvfb),
# connected to the controller simulator on COM1, driven from the keyboard.
#   docs/make-screenshots.sh [BUILD_DIR]   (default: build, as ./run.sh builds it)
# Everything runs in a private configuration folder; no serial port is used.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out=docs/screenshots
tools/install-deps.sh --run
cmake --build "$build" --target rq30 vtq45-sim rq30ctl >/dev/null

work=$(mktemp -d)
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

coproc SIM { exec "$build"/sim/vtq45-sim --com 1 2>/dev/null; }
pids+=("$SIM_PID")
read -r -t 10 _ <&"${SIM[0]}"

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
LANG=cs_CZ.UTF-8 "$build"/app/rq30 &
pids+=($!)

main=$(xdotool search --sync --onlyvisible --name '^VTQ 45$' | head -n 1)
sleep 1
xdotool windowfocus --sync "$main"

# A live series: "Přečíst" has the focus; every press reads and plots a point.
for _ in $(seq 40); do xdotool key --clearmodifiers space; sleep 0.25; done
sleep 0.5
import -window "$main" "$out/main-window.png"
echo "Saved $out/main-window.png"

# The port dialog after a scan of the bus ("Najít adresy").
xdotool key --clearmodifiers alt+n k
port=$(xdotool search --sync --onlyvisible --name 'Komunika' | tail -n 1)
sleep 1
xdotool mousemove --window "$port" 171 225 click 1
sleep "${SCAN_WAIT:-70}"  # the scan probes every address
import -window "$port" "$out/port-dialog.png"
echo "Saved $out/port-dialog.png"
xdotool mousemove --window "$port" 257 225 click 1  # Přerušit, if still scanning
sleep 1
xdotool mousemove --window "$port" 573 225 click 1  # Storno
sleep 1
xdotool windowfocus --sync "$main"

# The parameter editor, after its loading window has read the controller.
xdotool key --clearmodifiers alt+n p
params=$(xdotool search --sync --onlyvisible --name '^VTQ 45 DATA$' | tail -n 1)
sleep 1
xdotool mousemove --window "$params" 821 21 click 1  # Čtení
sleep 4
import -window "$params" "$out/parameter-editor.png"
echo "Saved $out/parameter-editor.png"
xdotool mousemove --window "$params" 821 448 click 1  # Storno
sleep 1
xdotool windowfocus --sync "$main"

# The record window with the controller's record memory listed.
xdotool key --clearmodifiers alt+n z
records=$(xdotool search --sync --onlyvisible --name 'znam$' | tail -n 1)
sleep 1
xdotool mousemove --window "$records" 318 408 click 1  # Čtení
sleep "${RECORD_WAIT:-15}"
import -window "$records" "$out/record-listing.png"
echo "Saved $out/record-listing.png"
