#include "param_keys.h"

#include <cstddef>
#include <string>

#include "table_image.h"

namespace rq30::paramset {

namespace {

// The offset of an image field: offsetof(TableImage, alarm1.splo).
#define RQ30_SLOT(field) offsetof(TableImage, field)

Key ListKey(const char* section, const char* name, int page, const char* control, Slot slot,
            std::size_t offset, int count, int preset, int loadDefault) {
  Key k;
  k.section = section;
  k.name = name;
  k.form = Form::kList;
  k.page = page;
  k.control = control;
  k.preset = std::to_string(preset);
  k.loadDefault = std::to_string(loadDefault);
  k.slot = slot;
  k.offset = offset;
  k.listCount = count;
  k.listCountOld = count;
  return k;
}

Key TextKey(const char* section, const char* name, int page, const char* control, Slot slot,
            std::size_t offset, const char* preset, const char* loadDefault) {
  Key k;
  k.section = section;
  k.name = name;
  k.form = Form::kText;
  k.page = page;
  k.control = control;
  k.preset = preset;
  k.loadDefault = loadDefault;
  k.slot = slot;
  k.offset = offset;
  return k;
}

void AddAlarm(std::vector<Key>& keys, const char* section, int page, const char* digit,
              std::size_t table) {
  const std::string d = digit;
  keys.push_back(ListKey(section, "RALA", page, ("cb_rala" + d).c_str(), Slot::kByte,
                         table + offsetof(AlarmTable, rala), 4, 0, 0));
  keys.push_back(ListKey(section, "RELE", page, ("cb_re" + d).c_str(), Slot::kByte,
                         table + offsetof(AlarmTable, rele), 2, 0, 0));
  keys.push_back(TextKey(section, "SPLO", page, ("ed_splo" + d).c_str(), Slot::kFloat,
                         table + offsetof(AlarmTable, splo), "0", "0"));
  keys.push_back(TextKey(section, "SPHI", page, ("ed_sphi" + d).c_str(), Slot::kFloat,
                         table + offsetof(AlarmTable, sphi), "100", "100"));
  keys.push_back(TextKey(section, "HYST", page, ("ed_hyst" + d).c_str(), Slot::kFloat,
                         table + offsetof(AlarmTable, hyst), "1", "1"));
}

// Pages 1..11, in file order.
void AddPageKeys(std::vector<Key>& keys) {
  AddAlarm(keys, "ALARM1", 1, "1", RQ30_SLOT(alarm1));
  AddAlarm(keys, "ALARM2", 2, "2", RQ30_SLOT(alarm2));

  keys.push_back(TextKey("PID", "PB", 3, "ed_pb", Slot::kFloat, RQ30_SLOT(pid.pb), "1", "1"));
  keys.push_back(TextKey("PID", "TI", 3, "ed_ti", Slot::kFloat, RQ30_SLOT(pid.intg), "100", "100"));
  keys.push_back(TextKey("PID", "TD", 3, "ed_td", Slot::kFloat, RQ30_SLOT(pid.der), "1", "1"));
  keys.push_back(ListKey("PID", "TUNE", 3, "cb_tune", Slot::kByte, RQ30_SLOT(pid.tune), 2, 0, 0));

  keys.push_back(
      ListKey("REGO", "TYPE", 4, "cb_type", Slot::kByte, RQ30_SLOT(control.type), 4, 0, 0));
  keys.push_back(ListKey("REGO", "F2", 4, "cb_f2", Slot::kInt32, RQ30_SLOT(control.f2), 17, 0, 0));
  keys.push_back(
      TextKey("REGO", "DSER", 4, "ed_dser", Slot::kInt32, RQ30_SLOT(control.dser), "60", "60"));
  keys.push_back(
      TextKey("REGO", "DEAD", 4, "ed_dead", Slot::kInt32, RQ30_SLOT(control.dead), "2", "2"));
  // The controller counts sampling steps from 1. The loader presets "1,2"
  // (position 5) while a file without the key gives position 4 ("1,0").
  Key tpid = ListKey("REGO", "TPID", 4, "cb_tpid", Slot::kInt32, RQ30_SLOT(control.tpid), 46, 5, 4);
  tpid.listShift = 1;
  keys.push_back(tpid);
  keys.push_back(TextKey("REGO", "PS", 4, "ed_ps", Slot::kInt32, RQ30_SLOT(control.ps), "0", "0"));
  keys.push_back(
      TextKey("REGO", "PER", 4, "ed_per", Slot::kInt32, RQ30_SLOT(control.per), "10", "10"));

  keys.push_back(
      TextKey("ONOF", "PHEA", 5, "ed_phea", Slot::kFloat, RQ30_SLOT(onoff.phea), "-2", "-2"));
  keys.push_back(
      TextKey("ONOF", "PCOO", 5, "ed_pcoo", Slot::kFloat, RQ30_SLOT(onoff.pcoo), "2", "2"));
  keys.push_back(
      TextKey("ONOF", "HHEA", 5, "ed_hhea", Slot::kFloat, RQ30_SLOT(onoff.hhea), "1", "1"));
  keys.push_back(
      TextKey("ONOF", "HCOO", 5, "ed_hcoo", Slot::kFloat, RQ30_SLOT(onoff.hcoo), "1", "1"));
  keys.push_back(ListKey("ONOF", "AT", 5, "cb_at", Slot::kInt32, RQ30_SLOT(onoff.at), 11, 1, 1));
  keys.push_back(
      ListKey("ONOF", "RE_1", 5, "cb_onof_re1", Slot::kByte, RQ30_SLOT(onoff.re1), 2, 0, 0));
  keys.push_back(
      ListKey("ONOF", "RE_2", 5, "cb_onof_re2", Slot::kByte, RQ30_SLOT(onoff.re2), 2, 1, 1));

  keys.push_back(
      TextKey("SENS", "STRS", 6, "ed_strs", Slot::kFloat, RQ30_SLOT(sensor.strs), "0", "0"));
  keys.push_back(
      TextKey("SENS", "ENDS", 6, "ed_ends", Slot::kFloat, RQ30_SLOT(sensor.ends), "100", "100"));
  keys.push_back(
      TextKey("SENS", "OFFS", 6, "ed_offs", Slot::kFloat, RQ30_SLOT(sensor.offs), "0", "0"));
  keys.push_back(
      ListKey("SENS", "TYPE", 6, "cb_sens", Slot::kByte, RQ30_SLOT(sensor.type), 11, 4, 4));
  keys.push_back(ListKey("SENS", "DP", 6, "cb_dp", Slot::kByte, RQ30_SLOT(sensor.dp), 3, 1, 1));
  keys.push_back(
      ListKey("SENS", "KOMP", 6, "cb_komp", Slot::kByte, RQ30_SLOT(sensor.comp), 5, 1, 1));

  keys.push_back(ListKey("DACO", "AIN", 7, "cb_ain", Slot::kByte, RQ30_SLOT(analog.ain), 2, 0, 0));
  keys.push_back(
      ListKey("DACO", "AOUT", 7, "cb_aout", Slot::kByte, RQ30_SLOT(analog.aout), 4, 0, 0));
  keys.push_back(
      TextKey("DACO", "ASTR", 7, "ed_astr", Slot::kFloat, RQ30_SLOT(analog.astr), "0", "0"));
  keys.push_back(
      TextKey("DACO", "AEND", 7, "ed_aend", Slot::kFloat, RQ30_SLOT(analog.aend), "100", "100"));

  keys.push_back(
      ListKey("ERRO", "RE12", 8, "cb_erro12", Slot::kByte, RQ30_SLOT(errorReaction.re12), 5, 0, 0));
  keys.push_back(
      ListKey("ERRO", "RE-3", 8, "cb_erro3", Slot::kByte, RQ30_SLOT(errorReaction.re3), 3, 0, 0));
  keys.push_back(
      ListKey("ERRO", "RE-4", 8, "cb_erro4", Slot::kByte, RQ30_SLOT(errorReaction.re4), 3, 0, 0));
  keys.push_back(
      ListKey("ERRO", "YOUT", 8, "cb_yout", Slot::kByte, RQ30_SLOT(errorReaction.yout), 3, 0, 0));

  keys.push_back(
      TextKey("OSTAT", "OPLO", 9, "ed_oplo", Slot::kFloat, RQ30_SLOT(misc.oplo), "0", "0"));
  keys.push_back(
      TextKey("OSTAT", "OPHI", 9, "ed_ophi", Slot::kFloat, RQ30_SLOT(misc.ophi), "100", "100"));
  // One text serves as the keypad password's preset and as its load default,
  // so a file without the key restores what the loader shows.
  keys.push_back(
      TextKey("OSTAT", "PASS", 9, "ed_pass", Slot::kInt32, RQ30_SLOT(misc.pass), "0", "0"));
  keys.push_back(
      ListKey("OSTAT", "FILT", 9, "cb_filtr", Slot::kInt32, RQ30_SLOT(misc.filt), 33, 0, 0));
  keys.push_back(ListKey("OSTAT", "LOCK", 9, "cb_loc", Slot::kByte, RQ30_SLOT(misc.lock), 2, 0, 0));

  keys.push_back(
      TextKey("ADD", "ADRESA", 10, "ed_adresa", Slot::kByte, RQ30_SLOT(address.address), "0", "0"));
  keys.push_back(
      TextKey("ADD", "ZAZNAM", 10, "ed_zaznam", Slot::kInt32, RQ30_SLOT(address.rate), "60", "60"));

  keys.push_back(
      ListKey("GO", "BEH", 11, "cb_go", Slot::kByte, RQ30_SLOT(programStart.go), 2, 0, 0));
  keys.push_back(
      ListKey("GO", "PEND", 11, "cb_pend", Slot::kByte, RQ30_SLOT(programStart.pend), 3, 0, 0));
  keys.push_back(
      ListKey("GO", "HOLD", 11, "cb_hold", Slot::kByte, RQ30_SLOT(programStart.hold), 2, 0, 0));
  Key pcut = ListKey("GO", "PUC", 11, "cb_puc", Slot::kByte, RQ30_SLOT(programStart.pcut), 5, 0, 0);
  pcut.listCountOld = 3;  // CONT and LAST came with firmware 3
  keys.push_back(pcut);
  const std::pair<const char*, const char*> startTime[] = {
      {"DATE", "ed_godate"}, {"HOUR", "ed_gohour"}, {"MIN", "ed_gomin"}};
  const std::size_t startOffsets[] = {RQ30_SLOT(programStartTime.date),
                                      RQ30_SLOT(programStartTime.hour),
                                      RQ30_SLOT(programStartTime.min)};
  for (int i = 0; i < 3; ++i) {
    Key k = TextKey("GO", startTime[i].first, 11, startTime[i].second, Slot::kByte, startOffsets[i],
                    "0", "0");
    k.startTime = true;
    keys.push_back(k);
  }
}

Key ImageKey(std::string name, Form form, Slot slot, std::size_t offset) {
  Key k;
  k.section = "COMP";
  k.name = std::move(name);
  k.form = form;
  k.page = kCompPage;
  k.loadDefault = "0";
  k.slot = slot;
  k.offset = offset;
  return k;
}

void AddCompKeys(std::vector<Key>& keys) {
  // The program type and number are saved for the reader's information; a
  // load keeps the selection the controller has.
  Key prog = ListKey("COMP", "PROG", kCompPage, "cb_prog_typ", Slot::kByte,
                     RQ30_SLOT(programSelection.type), 3, 0, 0);
  prog.loadDefault.reset();
  keys.push_back(prog);
  Key number = ListKey("COMP", "C_PR", kCompPage, "cb_prog_cis", Slot::kByte,
                       RQ30_SLOT(programSelection.number), kPrograms, 0, 0);
  number.loadDefault.reset();
  keys.push_back(number);

  Key sp = TextKey("COMP", "SP", kCompPage, "ed_comp", Slot::kFloat, RQ30_SLOT(sp), "", "0");
  sp.preset.reset();
  keys.push_back(sp);
  // The start value is a text of the page; the image takes it from SP[p].
  Key start = TextKey("COMP", "POCATEK", kCompPage, "ed_pocatek", Slot::kNone, 0, "", "0");
  start.preset.reset();
  keys.push_back(start);

  const std::size_t list = RQ30_SLOT(setpointList);
  for (int n = 0; n < kPrograms; ++n)
    keys.push_back(
        ImageKey(SetpointKeyName(n), Form::kFloat, Slot::kFloat, list + sizeof(float) * n));
  const std::size_t setpoints = RQ30_SLOT(programSetpoints);
  const std::size_t times = RQ30_SLOT(programTimes);
  for (int p = 0; p < kPrograms; ++p) {
    for (int s = 0; s < kSegments; ++s) {
      const std::size_t index = static_cast<std::size_t>(p * kSegments + s);
      keys.push_back(ImageKey(ProgramSetpointKeyName(p, s), Form::kFloat, Slot::kFloat,
                              setpoints + sizeof(float) * index));
      keys.push_back(ImageKey(ProgramTimeKeyName(p, s), Form::kWhole, Slot::kInt32,
                              times + sizeof(int32_t) * index));
    }
  }
}

std::vector<Key> BuildKeys() {
  std::vector<Key> keys;
  keys.reserve(kKeyCount);
  AddPageKeys(keys);
  AddCompKeys(keys);
  // A load collects a page when its section ends.
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const bool last = i + 1 == keys.size() || keys[i + 1].section != keys[i].section;
    keys[i].collectAfter = last && keys[i].page != kCompPage;
  }
  return keys;
}

#undef RQ30_SLOT

}  // namespace

const std::vector<Key>& Keys() {
  static const std::vector<Key> keys = BuildKeys();
  return keys;
}

const Key* FindKey(const std::string& section, const std::string& name) {
  for (const Key& k : Keys()) {
    if (k.section == section && k.name == name) return &k;
  }
  return nullptr;
}

std::string SetpointKeyName(int n) {
  return "SP[" + std::to_string(n) + "]";
}

std::string ProgramSetpointKeyName(int program, int segment) {
  return "TEP[" + std::to_string(program) + "][" + std::to_string(segment) + "]";
}

std::string ProgramTimeKeyName(int program, int segment) {
  return "CAS[" + std::to_string(program) + "][" + std::to_string(segment) + "]";
}

}  // namespace rq30::paramset
