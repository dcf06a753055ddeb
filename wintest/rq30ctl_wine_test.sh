#!/usr/bin/env bash
# rq30ctl.exe under Wine against the simulator that tools/test-windows.sh
# maps to COM2.
#   rq30ctl_wine_test.sh WINE RQ30CTL.EXE FORGET_PTY_PARITY.EXE
set -uo pipefail
wine=$1
ctl=$2
forget=$3
failures=0

# Every run opens COM2 afresh; see wine_pty.h for why the pty's parity is
# reset first. The C runtime writes text-mode output: lines end in CR LF.
run() {
  "$wine" "$forget" 2 || failures=$((failures + 1))
  local start
  start=$(date +%s%N)
  out=$("$wine" "$ctl" "$@" 2>"$err_file" | tr -d '\r')
  status=${PIPESTATUS[0]}
  ms=$((($(date +%s%N) - start) / 1000000))
  err=$(tr -d '\r' <"$err_file")
}
err_file=$(mktemp)
trap 'rm -f "$err_file"' EXIT

expect() {  # what, expected, actual
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1"
    echo "  expected: $(printf '%q' "$2")"
    echo "  actual:   $(printf '%q' "$3")"
    failures=$((failures + 1))
  else
    echo "ok: $1"
  fi
}

run --port COM2 ident
expect "ident exits 0" 0 "$status"
expect "device type" "device: VTQ45" "$(grep '^device:' <<<"$out")"
expect "firmware version" "firmware: FW-K-47-03" "$(grep '^firmware:' <<<"$out")"

# A table written and read back, then the live values table end to end: the
# setpoint written to table 0 comes back in table 11.
run --port COM2 write 1 SPLO=-12.5 SPHI=345.25 HYST=2.5 RALA=2 RELE=0
expect "write table 1 exits 0" 0 "$status"
run --port COM2 read 1
expect "table 1 reads back" $'SPLO=-12.5\nSPHI=345.25\nHYST=2.5\nRALA=2\nRELE=0' "$out"

run --port COM2 write 0 SP=77.5
expect "write table 0 exits 0" 0 "$status"
sleep 0.3  # the simulated process takes the setpoint over on its next step
run --port COM2 read 11
expect "read table 11 exits 0" 0 "$status"
expect "table 11 has its seven fields" 7 "$(grep -c '^[A-Z]*=' <<<"$out")"
expect "table 11 carries the setpoint" "SETP=77.5" "$(grep '^SETP=' <<<"$out")"
expect "no fault" "FAULT=0" "$(grep '^FAULT=' <<<"$out")"

# JSON and the argument parser are built into the Windows program too.
run read 11 --port COM2 --json
expect "read --json exits 0" 0 "$status"
expect "read --json gives the setpoint as a number" 1 "$(grep -c '"SETP":77.5' <<<"$out")"

run --port COM0 read 11
expect "unopenable port exits 6" 6 "$status"
expect "missing port message" "rq30ctl: Sériový port COM0 nelze otevřít" "$err"

# Nobody answers at address 9: the exchange fails, no more.
run --port COM2 --da 9 read 11
expect "silent address exits 1" 1 "$status"
expect "silent address message" "rq30ctl: read table 11: no valid answer from the controller" "$err"
echo "measured: rq30ctl read 11 at a silent address: $ms ms (Wine start included)"

[ "$failures" -eq 0 ]
