#!/usr/bin/env bash
# The installed program itself (not a test build of its run) on a virtual X
# server, talking to the simulator at COM1: a SIGTERM or a SIGHUP ends it as
# its close box does, so settings.ini holds the window's place and the
# chart's and log's settings afterwards (the port's are stored by its dialog).
#   sigterm_binary_test.sh RQ30 VTQ45_SIM
set -euo pipefail
rq30=$1
sim=$2
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export XDG_CONFIG_HOME=$work/config
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

coproc SIM { exec "$sim" --com 1 2>/dev/null; }
pids+=("$SIM_PID")
read -r -t 10 pty <&"${SIM[0]}"
echo "simulator on $pty"

display=":$((200 + RANDOM % 300))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.05; done

settings=$XDG_CONFIG_HOME/QelFW_K47/settings.ini
for signal in TERM HUP; do
  rm -f "$settings"
  "$rq30" &
  program=$!
  # The program is up once its port dialog has opened COM1; give it time to
  # show its window.
  sleep 2
  kill -0 "$program"
  kill -"$signal" "$program"
  status=0
  for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.05; done
  if kill -0 "$program" 2>/dev/null; then
    echo "FAIL: SIG$signal did not end the program"
    kill -9 "$program"
    exit 1
  fi
  wait "$program" || status=$?
  [ "$status" -eq 0 ] || { echo "FAIL: SIG$signal: exit status $status"; exit 1; }
  [ -f "$settings" ] || { echo "FAIL: SIG$signal left no settings.ini"; exit 1; }
  for key in '\[DESKTOP\]' '^Left=' '\[GRAF\]' '^POCET=200' '\[ZAZNAM\]' '^SOUBOR=15'; do
    grep -q "$key" "$settings" || { echo "FAIL: SIG$signal: settings.ini lacks $key"; cat "$settings"; exit 1; }
  done
  echo "SIG$signal: program ended with 0, settings.ini written"
done
