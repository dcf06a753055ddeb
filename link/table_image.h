// The program's one copy of the controller's data tables and arrays.
//
// Windows read and write these fields directly; the link fills them from
// replies and sends from them. Everything is zero at start. Integer slots of
// int16 wire fields are 32-bit: a decode replaces the whole integer with the
// unsigned 16-bit value, an encode sends its low 16 bits.
#pragma once

#include <cstdint>

namespace rq30 {

struct AlarmTable {  // tables 1 and 2
  float splo;        // lower limit
  float sphi;        // upper limit
  float hyst;        // hysteresis
  uint8_t rala;      // alarm mode: 0 CONS, 1 DRIF, 2 WIN, 3 DWI
  uint8_t rele;      // relay: 0 OFF, 1 ON
};

struct SensorTable {  // table 3
  uint8_t type;       // 0 J .. 10 0-50 mV
  uint8_t dp;         // decimal point position
  float strs;         // range start
  float ends;         // range end
  float offs;         // range shift
  uint8_t comp;       // cold-junction compensation
};

struct PidTable {  // table 4
  float pb;
  float intg;  // INT
  float der;
  uint8_t tune;
};

struct ControlTable {  // table 5
  uint8_t type;        // 0 ONOF, 1 PROI, 2 PIDI, 3 PID3
  int32_t dser;
  int32_t dead;
  int32_t f2;
  int32_t tpid;  // position in the editor's list + 1
  int32_t ps;
  int32_t per;
};

struct OnOffTable {  // table 6
  float phea;
  float pcoo;
  float hhea;
  float hcoo;
  int32_t at;
  uint8_t re1;
  uint8_t re2;
};

struct AnalogTable {  // table 7
  uint8_t ain;
  uint8_t aout;
  float astr;
  float aend;
};

struct ErrorReactionTable {  // table 8
  uint8_t re12;
  uint8_t re3;
  uint8_t re4;
  uint8_t yout;
};

struct MiscTable {  // table 9; its last wire byte is reserved and always sent as 0
  float oplo;
  float ophi;
  int32_t filt;
  int32_t pass;
  uint8_t lock;
};

struct AddressTable {  // table 10
  uint8_t address;
  int32_t rate;  // recording rate in seconds
};

struct LiveTable {  // table 11, read only
  float measured;
  uint8_t relays;  // bit 0 relay 1 .. bit 3 relay 4
  float setpoint;
  int32_t output;  // tenths of a percent
  float terminal;
  uint8_t status;
  uint8_t fault;  // 0 no fault
};

struct RecordMemoryTable {  // table 12, read only; only the ring index is decoded
  uint8_t ringIndex;
};

struct ProgramStartTable {  // table 14, and the first four fields of table 19
  uint8_t go;
  uint8_t hold;
  uint8_t pend;
  uint8_t pcut;
};

struct ProgramStartTime {  // the last three fields of table 19
  uint8_t date;
  uint8_t hour;
  uint8_t min;
};

struct ClockTable {  // table 15
  uint8_t sec;
  uint8_t min;
  uint8_t hour;
  uint8_t wday;  // 1 Monday .. 7 Sunday
  uint8_t mday;
  uint8_t mont;
  uint8_t year;
};

struct ProgramSelectionTable {  // table 16
  uint8_t type;    // 0 SP, 1 RAMP, 2 JUMP
  uint8_t number;  // 0..9
};

constexpr int kPrograms = 10;
constexpr int kSegments = 20;
constexpr int kRecordValues = 256;
constexpr int kIdentTextSize = 250;
constexpr int kForeignTextSize = 255;

struct TableImage {
  float sp;  // table 0
  AlarmTable alarm1;
  AlarmTable alarm2;
  SensorTable sensor;
  PidTable pid;
  ControlTable control;
  OnOffTable onoff;
  AnalogTable analog;
  ErrorReactionTable errorReaction;
  MiscTable misc;
  AddressTable address;
  LiveTable live;
  RecordMemoryTable recordMemory;
  ProgramStartTable programStart;
  ProgramStartTime programStartTime;
  ClockTable clock;
  ProgramSelectionTable programSelection;

  float setpointList[kPrograms];  // element 0 is not the SP field of table 0
  float programSetpoints[kPrograms][kSegments];
  int32_t programTimes[kPrograms][kSegments];
  float recordValues[kRecordValues];
  char deviceType[kIdentTextSize];
  char firmwareVersion[kIdentTextSize];
  uint8_t foreignTexts[kForeignTextSize];
};

// All zeros, as at program start.
void ClearImage(TableImage& image);

}  // namespace rq30
