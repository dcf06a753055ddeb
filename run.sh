#!/usr/bin/env bash
# Builds RQ-30 and starts it connected to the controller simulator, so no
# controller or serial adapter is needed.
#
# Everything runs in a private configuration folder (build/run-config): the
# simulator is mapped to COM1 there, and the program keeps its settings
# there, so your own settings and serial ports are never touched.
#
# Without a display the program runs under Xvfb: after the first live read
# it saves a picture of the main window to build/rq30.png and stops.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh --run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target rq30 vtq45-sim rq30ctl

export XDG_CONFIG_HOME="$PWD/build/run-config"
export XDG_RUNTIME_DIR="$PWD/build/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap cleanup EXIT

# The simulator prints its pty as its first line once COM1 is mapped.
coproc SIM { exec build/sim/vtq45-sim --com 1 2>/dev/null; }
pids+=("$SIM_PID")
read -r -t 10 pty <&"${SIM[0]}"
echo "Simulator on $pty, mapped to COM1 in $XDG_CONFIG_HOME"
cat <<TEXT

First steps in the program (it talks to the simulator on COM1):
  1. Press "Přečíst" once: the controller's live values appear.
  2. Tick "Automatické čtení": they are read continuously and charted.
  3. Tick "Zápis do souboru" for a measurement log; Nastavení -> Parametry
     regulátoru opens the parameter editor.
From another terminal, the same simulator through the command-line client
(COM1 is mapped in this private folder; elsewhere COM1 means /dev/ttyS0):
  XDG_CONFIG_HOME=$XDG_CONFIG_HOME build/cli/rq30ctl --port COM1 read 11

TEXT

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  build/app/rq30
  exit 0
fi

# No display: a virtual one, a click on "Přečíst", a picture, and done.
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY="$display"
# xdotool (installed with --run) answers once the display is up.
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
build/app/rq30 &
pids+=($!)
window=$(xdotool search --sync --onlyvisible --name '^VTQ 45$' | head -n 1)
sleep 1
xdotool windowfocus --sync "$window"
# "Přečíst" has the focus when the window opens; Space presses it.
xdotool key --clearmodifiers space
sleep 1.5
import -window "$window" build/rq30.png
echo "Saved build/rq30.png"
