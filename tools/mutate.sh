#!/usr/bin/env bash
# Plants one-line faults in the core (link/, common/, paramset/), one at a
# time, in a scratch copy of the sources, builds the core's test targets
# (no Qt) and runs them. Prints for each fault:
#   caught       a test failed (the first failing test is named)
#   caught (does not build)
#   missed       every test passed: a fault the tests let through
#   not applied  its line is no longer in the source (the code moved on;
#                update the list)
#
#   tools/mutate.sh          every fault
#   tools/mutate.sh 3 17     faults 3 and 17 only
#
# Not part of CI: each fault costs a rebuild and a test run (about half a
# minute to a minute). The scratch copy and its build stay in
# $RQ30_MUTATE_DIR (default /tmp/rq30-mutate) and are reused; ccache makes
# the rebuilds cheap. Exits non-zero when a fault was missed or the
# unchanged copy does not pass.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=${RQ30_MUTATE_DIR:-/tmp/rq30-mutate}
src=$scratch/src
pristine=$scratch/pristine
build=$scratch/build
log=$scratch/log
mkdir -p "$scratch" "$log"

# Each fault: file @@ which occurrence of the line @@ the line @@ what it
# becomes @@ what the fault is. The line is matched exactly (a part of one
# line, leading blanks included); an empty replacement deletes it.
faults() {
  cat <<'EOF'
link/link.cpp @@ 1 @@ for (int i = 4; i < 4 + le; ++i) sum += rx_[i]; @@ for (int i = 5; i < 4 + le; ++i) sum += rx_[i]; @@ reply checksum summed from byte 5
link/link.cpp @@ 1 @@ for (int i = 4; i < 4 + le; ++i) sum += rx_[i]; @@ for (int i = 4; i < 3 + le; ++i) sum += rx_[i]; @@ reply checksum leaves out the last data byte
link/link.cpp @@ 1 @@ for (int i = 4; i < 4 + le; ++i) sum += tx_[i]; @@ for (int i = 5; i < 4 + le; ++i) sum += tx_[i]; @@ request checksum summed from byte 5
link/link.cpp @@ 1 @@   if (rx_[0] != kStartLong) return false; @@  @@ data reply: start byte not checked
link/link.cpp @@ 1 @@   if (rx_[1] != rx_[2]) return false; @@  @@ data reply: repeated LE not checked
link/link.cpp @@ 1 @@   if (rx_[6] != kFcDataReply) return false; @@  @@ data reply: function code not checked
link/link.cpp @@ 1 @@   if (rx_[le + 5] != kEnd) return false; @@  @@ data reply: end byte not checked
link/link.cpp @@ 1 @@   if (rx_[0] != kStartShort) return false; @@   if (rx_[3] != 0) ackError_ = rx_[3]; if (rx_[0] != kStartShort) return false; @@ acknowledgement: code taken before the start byte is checked
link/link.cpp @@ 1 @@   if (rx_[5] != kEnd) return false; @@  @@ acknowledgement: end byte not checked
link/link.cpp @@ 1 @@ return static_cast<uint8_t>(rx_[1] + rx_[2] + rx_[3]) == rx_[4]; @@ return static_cast<uint8_t>(rx_[2] + rx_[3]) == rx_[4]; @@ acknowledgement checksum leaves out byte 1
link/link.cpp @@ 1 @@ for (int attempt = 0; attempt < 2 && !result; ++attempt) { @@ for (int attempt = 0; attempt < 3 && !result; ++attempt) { @@ data reply read three times
link/link.cpp @@ 2 @@ for (int attempt = 0; attempt < 2 && !result; ++attempt) { @@ for (int attempt = 0; attempt < 1 && !result; ++attempt) { @@ acknowledgement read once only
link/link.cpp @@ 1 @@       Pause(kPauseAfterShortRead); @@  @@ no pause before a repeated request
link/link.h @@ 1 @@ constexpr int kPauseAfterShortRead = 100; @@ constexpr int kPauseAfterShortRead = 10; @@ pause before a repeat 10 ms
link/link.cpp @@ 1 @@     Pause(kPauseBeforeRecordBlock); @@  @@ no pause before a record block
link/link.cpp @@ 1 @@   Pause(kPauseAfterRecordBlock); @@  @@ no pause after a record block
link/link.cpp @@ 1 @@   if (!result) PurgeAfterFailure(); @@  @@ failed table read not purged
link/link.cpp @@ 1 @@   port_->PurgeTransmit(); @@   port_->PurgeReceive(); @@ purge after failure skips the transmit side
link/link.cpp @@ 1 @@ int WireTableNumber(int table) { return table == 19 ? 14 : table; } @@ int WireTableNumber(int table) { return table; } @@ table 19 sent as 19
link/link.cpp @@ 1 @@   if (da_ != kBroadcastAddress) { @@   if (true) { @@ broadcast table read waits for a reply
link/link.cpp @@ 1 @@ kRecordBlockBytes * block + 1); @@ kRecordBlockBytes * block); @@ record block offset without the index byte
link/link.cpp @@ 1 @@ if (variant == 1) return {80, 80 * program}; @@ if (variant == 1) return {80, 40 * program}; @@ program setpoint block at the wrong offset
link/link.cpp @@ 1 @@   tx_[5] = sa_; @@   tx_[5] = da_; @@ request carries the device address as source
link/link.cpp @@ 1 @@ le_ = static_cast<int8_t>(fc == kFcWrite ? length + 8 : 8); @@ le_ = static_cast<int8_t>(fc == kFcWrite ? length + 7 : 8); @@ write request LE one short
link/link.cpp @@ 1 @@ tx_[4] = static_cast<uint8_t>(da_ + sa_ + kFcProbe); @@ tx_[4] = static_cast<uint8_t>(da_ + kFcProbe); @@ probe checksum without the computer address
link/link.cpp @@ 1 @@ const int available = rx[1] - 3; @@ const int available = rx[1] - 4; @@ identification text one byte short
link/table_layout.cpp @@ 1 @@ const FieldDesc kTable1[] = {F32(alarm1.splo, "SPLO"), F32(alarm1.sphi, "SPHI"), @@ const FieldDesc kTable1[] = {F32(alarm1.sphi, "SPHI"), F32(alarm1.splo, "SPLO"), @@ table 1: SPLO and SPHI swapped
link/table_layout.cpp @@ 1 @@ const FieldDesc kTable3[] = {BYTE(sensor.type, "TYPE"), BYTE(sensor.dp, "DP"), @@ const FieldDesc kTable3[] = {BYTE(sensor.dp, "DP"), BYTE(sensor.type, "TYPE"), @@ table 3: TYPE and DP swapped
link/table_layout.cpp @@ 1 @@                              F32(onoff.hhea, "HHEA"), F32(onoff.hcoo, "HCOO"), @@                              F32(onoff.hcoo, "HCOO"), F32(onoff.hhea, "HHEA"), @@ table 6: HHEA and HCOO swapped
link/table_layout.cpp @@ 1 @@ const FieldDesc kTable7[] = {BYTE(analog.ain, "A-IN"), BYTE(analog.aout, "A-OUT"), @@ const FieldDesc kTable7[] = {BYTE(analog.aout, "A-OUT"), BYTE(analog.ain, "A-IN"), @@ table 7: A-IN and A-OUT swapped
link/table_layout.cpp @@ 1 @@ const FieldDesc kTable15[] = {BYTE(clock.sec, "SEC"),   BYTE(clock.min, "MIN"), @@ const FieldDesc kTable15[] = {BYTE(clock.min, "MIN"),   BYTE(clock.sec, "SEC"), @@ table 15: SEC and MIN swapped
link/table_layout.cpp @@ 1 @@         out[0] = 0; @@         out[0] = 1; @@ reserved byte of table 9 sent as 1
link/table_layout.cpp @@ 1 @@   out[0] = static_cast<uint8_t>(bits >> 24); @@   out[0] = static_cast<uint8_t>(bits >> 16); @@ float encoded with a wrong first byte
link/table_layout.cpp @@ 1 @@ int32_t GetUInt16(const uint8_t* in) { return (int32_t{in[0]} << 8) | int32_t{in[1]}; } @@ int32_t GetUInt16(const uint8_t* in) { return static_cast<int16_t>((in[0] << 8) | in[1]); } @@ int16 decoded as signed
link/table_layout.cpp @@ 1 @@ 3,  17, 100, 62, 4,  7,  2,  32, 144, 7}; @@ 3,  17, 100, 62, 4,  4,  2,  32, 144, 7}; @@ table 15 length 4
link/line_settings_posix.cpp @@ 1 @@ t.c_cflag |= CS8 | PARENB | CREAD | CLOCAL; @@ t.c_cflag |= CS8 | CREAD | CLOCAL; @@ even parity not set
link/line_settings_posix.cpp @@ 1 @@ t.c_cflag &= ~(CSIZE | PARODD | CSTOPB); @@ t.c_cflag &= ~(CSIZE | CSTOPB); @@ odd parity left as reported
link/line_settings_posix.cpp @@ 1 @@   t.c_iflag |= INPCK; @@  @@ parity checking not switched on
link/line_settings_posix.cpp @@ 1 @@   t.c_ospeed = baud; @@   t.c_ospeed = 9600; @@ rate fixed at 9600
link/serial_port_posix.cpp @@ 1 @@     if (got > 0 && wait > kReadIntervalMs) wait = kReadIntervalMs; @@  @@ read interval time-out removed
link/serial_port.h @@ 1 @@ constexpr int kReadIntervalMs = 100; @@ constexpr int kReadIntervalMs = 50; @@ read interval 50 ms
link/serial_port.h @@ 1 @@ constexpr int kReadTotalPerByteMs = 2; @@ constexpr int kReadTotalPerByteMs = 1; @@ total time-out 1 ms per byte
link/serial_port.h @@ 1 @@ constexpr int kReadTotalConstantMs = 500; @@ constexpr int kReadTotalConstantMs = 400; @@ total time-out constant 400 ms
link/serial_port.cpp @@ 2 @@   PurgeReceive(); @@  @@ write does not purge the receive side
common/record_listing.cpp @@ 1 @@ std::string text = FormatFixed(value, 5, 2, '.'); @@ std::string text = FormatFixed(value, 4, 2, '.'); @@ record listing at four significant digits
common/record_listing.cpp @@ 1 @@ const int index = RingIndex(download.pointerBefore - (n - 1)); @@ const int index = RingIndex(download.pointerBefore + (n - 1)); @@ record listing oldest first
common/record_listing.cpp @@ 1 @@ return kRing - NewDuringReading(pointerBefore, pointerAfter); @@ return kRing; @@ records made during the download listed
common/number_text.cpp @@ 1 @@ const bool up = d.digits[keep] >= '5'; @@ const bool up = d.digits[keep] > '5'; @@ halves rounded down
common/number_text.cpp @@ 1 @@ if (all.exponent + 1 > significant) { @@ if (all.exponent + 1 >= significant) { @@ exponent form one digit early
common/number_text.cpp @@ 1 @@   if (i != s.size()) return false; @@  @@ trailing junk after a number accepted
common/number_text.cpp @@ 1 @@ if (negative) { @@ if (false) { @@ negative whole numbers read as positive
common/ini_file.cpp @@ 1 @@ if (textEnd > start && bytes[textEnd - 1] == '\r') --textEnd; @@  @@ INI: CR kept in values
common/ini_file.cpp @@ 1 @@ if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a'); @@  @@ INI: section and key names case-sensitive
common/ini_file.cpp @@ 1 @@ } else if (first < text.size() && text[first] != ';') { @@ } else if (first < text.size()) { @@ INI: comment lines read as keys
common/ini_file.cpp @@ 1 @@ return value.substr(1, value.size() - 2); @@ return value; @@ INI: quotes kept
common/ini_file.cpp @@ 1 @@     if (c == '\r' || c == '\n') c = ' '; @@  @@ INI: a line break in a value splits the line
common/ini_file.cpp @@ 1 @@     bytes += "\r\n"; @@     bytes += "\n"; @@ INI written with LF only
common/cp1250.cpp @@ 1 @@     0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8 @@     0x010D, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8 @@ cp1250: 0xC8 read as small c with caron
paramset/load_sequence.cpp @@ 1 @@ constexpr const char* kFirmwareTexts[] = {"FW-K-47-01", "FW-K-47-02", "FW-K-47-03"}; @@ constexpr const char* kFirmwareTexts[] = {"FW-K-47-01", "FW-K-47-03", "FW-K-47-02"}; @@ firmware 2 and 3 swapped
paramset/load_sequence.cpp @@ 1 @@ constexpr int kPageTables[kEditorPages] = {0, 1, 2, 4, 5, 6, 3, 7, 8, 9, 10, 14, 15}; @@ constexpr int kPageTables[kEditorPages] = {0, 1, 2, 3, 5, 6, 4, 7, 8, 9, 10, 14, 15}; @@ editor pages read the wrong tables
link/link.cpp @@ 1 @@     if (got == kShortAckSize) result = CheckShortAck(); @@  @@ acknowledgement of a repeated write not read
link/link.cpp @@ 1 @@     const bool ok = lastAnswered ? port_->ReadPortWithin(scratch, size, got, kLineGapMs) @@     const bool ok = lastAnswered ? port_->ReadPortWithin(scratch, size, got, 0) @@ read-off after an answered repeat waits no gap
link/link.cpp @@ 1 @@   port_->ReadPortWithin(rx_, kLengthFieldEnd, got, kOpenLengthFirstByteMs); @@   port_->ReadPort(rx_, kLengthFieldEnd, got); @@ open-length read waits only a 3-byte time-out for its first byte
common/ini_file.cpp @@ 1 @@   if (bytes.compare(0, kBom.size(), kBom) == 0) { @@   if (false) { @@ UTF-8 byte-order mark read as text
paramset/param_set.cpp @@ 1 @@   if (withAddress) plan.tables.push_back(kAddressTable); @@   plan.tables.push_back(kAddressTable); @@ address table written without --with-address
paramset/param_set.cpp @@ 1 @@     plan.goTable = controllerVariant == 3 && fileVariant == 3 ? 19 : 14; @@     plan.goTable = 14; @@ firmware-3 set without its start time
paramset/load_sequence.cpp @@ 1 @@   for (int program = 0; program < kPrograms; ++program) { @@   for (int program = 0; program < 1; ++program) { @@ only the first program read
paramset/write_sequence.cpp @@ 1 @@   if (type == kTypeRamp) { @@   if (type == kTypeSp) { @@ ramp start values not written
paramset/param_values.cpp @@ 1 @@   return FormatFixed(value, 5, 2, decimalSeparator); @@   return FormatFixed(value, 4, 2, decimalSeparator); @@ parameter values at four significant digits
paramset/param_file.cpp @@ 1 @@     if (key.startTime && variant == 2) continue; @@  @@ start time loaded for firmware 2
EOF
}

# Applies fault $1 (a line of the list) to the scratch copy; 3 when the line
# is not found.
apply() {
  python3 - "$src" "$1" <<'PY'
import sys
src, fault = sys.argv[1], sys.argv[2]
path, nth, old, new, _ = [f.strip(" ") if i < 2 or i == 4 else f for i, f in enumerate(fault.split(" @@ "))]
old = old.rstrip("\n")
full = f"{src}/{path.strip()}"
try:
    text = open(full, encoding="utf-8").read()
except OSError:
    sys.exit(3)
at = -1
for _ in range(int(nth)):
    at = text.find(old, at + 1)
    if at < 0:
        sys.exit(3)
text = text[:at] + new + text[at + len(old):]
open(full, "w", encoding="utf-8").write(text)
PY
}

export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache

echo "mutate: copying the sources to $src"
rm -rf "$src" "$pristine"
mkdir -p "$src"
# New time stamps (-m), so that nothing built from an earlier run's fault
# counts as up to date; ccache makes the rebuild cheap.
tar -C "$root" --exclude='./build*' --exclude='./.git' -cf - . | tar -C "$src" -mxf -
cp -a "$src" "$pristine"

echo "mutate: configuring the core without Qt"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRQ30_WITH_QT=OFF \
  -DRQ30_WITH_BENCH=OFF -DRQ30_DIRS="common;link;sim;testing;paramset;cli;fuzz" >"$log/configure.log" 2>&1 ||
  { cat "$log/configure.log"; exit 1; }

# Every test this build has is a core test; the targets left out of the
# list (the bridge against a real broker) show as _NOT_BUILT and are skipped.
wanted=(link_tests link_sim_tests common_tests paramset_tests sim_model_tests sim_process_tests
        sim_pty_tests sim_program_tests cli_tests fuzz_replay_link fuzz_replay_ini_file
        fuzz_replay_settings_ini fuzz_replay_number_text fuzz_replay_param_file)
known=$(ninja -C "$build" -t targets all 2>/dev/null | cut -d: -f1)
targets=()
for t in "${wanted[@]}"; do grep -qx "$t" <<<"$known" && targets+=("$t"); done

export XDG_RUNTIME_DIR=$build/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

run_tests() {  # log file; 0 when every test passed
  cmake --build "$build" --target "${targets[@]}" -j 2 >"$1" 2>&1 || return 2
  ctest --test-dir "$build" -j 2 --stop-on-failure --output-on-failure --timeout 180 -E "_NOT_BUILT$" >>"$1" 2>&1
}

echo "mutate: building and testing the unchanged copy (${targets[*]})"
if ! run_tests "$log/baseline.log"; then
  tail -n 40 "$log/baseline.log"
  echo "mutate: the unchanged copy does not pass; nothing to compare against"
  exit 1
fi

mapfile -t list < <(faults)
selected=("$@")
missed=0
caught=0
skipped=0
for i in "${!list[@]}"; do
  n=$((i + 1))
  if [ ${#selected[@]} -gt 0 ] && ! printf '%s\n' "${selected[@]}" | grep -qx "$n"; then continue; fi
  fault=${list[$i]}
  file=$(awk -F' @@ ' '{print $1}' <<<"$fault")
  what=${fault##* @@ }
  start=$SECONDS
  if ! apply "$fault"; then
    printf '%2d  not applied  %s (%s)\n' "$n" "$what" "$file"
    skipped=$((skipped + 1))
    continue
  fi
  run_tests "$log/fault$n.log"
  status=$?
  cp "$pristine/$file" "$src/$file"  # a new time stamp: rebuilt, from the cache
  case $status in
    0) result=missed; missed=$((missed + 1)) ;;
    2) result="caught   (does not build)"; caught=$((caught + 1)) ;;
    *)
      first=$(grep -m1 -E '\*\*\*(Failed|Timeout|Exception)|Subprocess aborted|SEGFAULT' "$log/fault$n.log" |
              sed -E 's/.*Test +#[0-9]+: ([^ ]+).*/\1/')
      result="caught   by ${first:-a failing test}"
      caught=$((caught + 1))
      ;;
  esac
  printf '%2d  %-40s %s (%s, %ds)\n' "$n" "$result" "$what" "$file" $((SECONDS - start))
done
echo "mutate: $caught caught, $missed missed, $skipped not applied"
[ "$missed" -eq 0 ]
