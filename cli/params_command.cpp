// rq30ctl params: the controller's whole parameter set to and from the
// program's parameter set file. A load checks the whole file before it
// sends anything, writes the set and nothing else, and reads it all back.
#include <algorithm>
#include <string>
#include <vector>

#include "cli_support.h"
#include "ini_file.h"
#include "json_output.h"
#include "load_sequence.h"
#include "param_file.h"
#include "param_keys.h"
#include "param_set.h"
#include "safe_file.h"
#include "set_transfer.h"

namespace rq30::cli {

namespace {

using paramset::Key;
using paramset::SetPlan;

std::string Joined(const std::vector<std::string>& items, const char* separator) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : separator) + item;
  return text;
}

// The controller's whole parameter set in the loading window's order; any
// table or block that does not answer makes the command fail.
int LoadFromController(Session& s, Io& io, const std::string& what) {
  std::vector<std::string> silent;
  paramset::LoadHooks hooks;
  hooks.pause = io.pause;
  const bool progress = io.terminal && !s.options.quiet;
  int done = 0;
  hooks.readDone = [&](int table, int ok) {
    if (progress) io.err << '\r' << what << ": " << ++done << " reads done" << std::flush;
    const std::string name = std::to_string(table);
    if (!ok && std::find(silent.begin(), silent.end(), name) == silent.end())
      silent.push_back(name);
  };
  const int variant = paramset::LoadParameterSet(s.link, hooks);
  if (progress) io.err << '\r' << std::string(50, ' ') << '\r' << std::flush;
  if (variant == 0) {
    throw Failure(what + ": no VTQ45 firmware identified (\"" +
                  std::string(s.image.firmwareVersion) + "\")");
  }
  if (!silent.empty()) throw Failure(what + ": no valid answer for table " + Joined(silent, ", "));
  return variant;
}

struct ParameterFile {
  IniFile ini;
  int variant;  // as the file says; 0 when it does not
};

// The file, refused unless it can be a parameter set.
ParameterFile OpenParameterFile(const std::string& path, const std::string& what) {
  std::string bytes;
  if (ReadWholeFile(path, bytes) != FileRead::kOk) throw FileError(what + ": cannot read " + path);
  IniFile ini = IniFile::FromBytes(path, bytes);
  const std::string why = paramset::NotAParameterSet(bytes, ini);
  if (!why.empty()) {
    throw Refusal(what + ": " + path + " is not a parameter set: " + why + "; nothing written");
  }
  const int variant = paramset::FileVariant(ini);
  return {std::move(ini), variant};
}

// The file's values of the plan in the image, or a refusal naming every bad one.
void TakeValues(const ParameterFile& file, const SetPlan& plan, int variant,
                const LocaleTexts& texts, TableImage& image, const std::string& what) {
  const std::vector<std::string> problems =
      paramset::TakeFileValues(file.ini, plan, variant, texts.point, image);
  if (!problems.empty()) {
    throw Refusal(what + ": " + file.ini.Path() + " cannot be sent as it is; nothing written:\n  " +
                     Joined(problems, "\n  "));
  }
}

// The firmware whose set the file holds: a file that does not say is taken
// for the controller's, with a warning.
int FileVariantFor(const ParameterFile& file, int controllerVariant, Io& io) {
  if (file.variant != 0) return file.variant;
  io.err << "rq30ctl: warning: " << file.ini.Path()
         << " does not say its firmware; taken as the controller's (variant "
         << controllerVariant << ")\n";
  return controllerVariant;
}

int ParamsSave(Session& s, const std::string& path, const LocaleTexts& texts, Io& io) {
  const int variant = LoadFromController(s, io, "params save");
  try {
    paramset::SaveImage(path, s.image, variant, texts.point);
  } catch (const std::runtime_error& e) {
    throw FileError(std::string("params save: ") + e.what());
  }
  return kOk;
}

int ParamsDiff(Session& s, const std::string& path, bool withAddress, const LocaleTexts& texts,
               Io& io) {
  const ParameterFile file = OpenParameterFile(path, "params diff");
  const int variant = LoadFromController(s, io, "params diff");
  const int fileVariant = FileVariantFor(file, variant, io);
  if (fileVariant != variant) {
    io.err << "rq30ctl: warning: the file holds a firmware " << fileVariant
           << " set, the controller has firmware " << variant
           << "; only what both hold is compared\n";
  }
  const SetPlan plan = paramset::CommonPlan(variant, fileVariant, withAddress);
  TableImage fromFile = s.image;
  TakeValues(file, plan, variant, texts, fromFile, "params diff");
  int differences = 0;
#if RQ30_WITH_JSON
  Json listed = Json::array();
#endif
  for (const Key& key : paramset::Keys()) {
    if (!paramset::InPlan(plan, key)) continue;
    const std::string mine = paramset::SetValueText(fromFile, key, texts.point);
    const std::string theirs = paramset::SetValueText(s.image, key, texts.point);
    if (mine == theirs) continue;
    ++differences;
    if (s.options.json) {
#if RQ30_WITH_JSON
      listed.push_back(Json{{"key", key.section + "/" + key.name},
                            {"file", paramset::SetValueText(fromFile, key, '.')},
                            {"controller", paramset::SetValueText(s.image, key, '.')}});
#endif
      continue;
    }
    io.out << key.section << '/' << key.name << ": file " << mine << ", controller " << theirs
           << '\n';
  }
#if RQ30_WITH_JSON
  if (s.options.json) PrintJson(io.out, Json{{"differences", listed}});
#endif
  return differences ? kDifferent : kOk;
}

struct LoadOptions {
  bool eeprom = false;
  bool withAddress = false;
  bool otherVariant = false;
};

int ParamsLoad(Session& s, const std::string& path, const LoadOptions& options,
               const LocaleTexts& texts, Io& io) {
  const std::string what = "params load";
  const ParameterFile file = OpenParameterFile(path, what);
  {
    // Everything the file can be checked for without the controller, before
    // the line carries a byte: against the firmware it names, or the
    // fullest one when it names none.
    const int own = file.variant ? file.variant : 3;
    TableImage scratch{};
    TakeValues(file, paramset::PlanFor(own, options.withAddress), own, texts, scratch, what);
  }

  paramset::LoadHooks identifyHooks;
  identifyHooks.pause = io.pause;
  const int variant = paramset::Identify(s.link, identifyHooks);
  if (variant == 0) {
    throw Failure(what + ": no VTQ45 firmware identified (\"" +
                  std::string(s.image.firmwareVersion) + "\"); nothing written");
  }
  const int fileVariant = FileVariantFor(file, variant, io);
  if (fileVariant != variant && !options.otherVariant) {
    throw Refusal(what + ": " + path + " holds the parameter set of firmware " +
                     std::to_string(fileVariant) + ", the controller has firmware " +
                     std::to_string(variant) +
                     "; nothing written (--other-variant writes only what both hold)");
  }
  const SetPlan plan = paramset::CommonPlan(variant, fileVariant, options.withAddress);
  TakeValues(file, plan, variant, texts, s.image, what);

  // Progress shares the terminal with the written items on standard
  // output, so its line is cleared before each of them.
  const bool progress = io.terminal && !s.options.quiet;
  const auto clearProgress = [&] {
    if (progress) io.err << '\r' << std::string(50, ' ') << '\r' << std::flush;
  };
  paramset::TransferHooks hooks;
  hooks.pause = io.pause;
  bool refused = false;
  int writes = 0;
  hooks.done = [&](const std::string& item, int ok) {
    if (!ok && s.link.ExchangeAckCode()) refused = true;
    clearProgress();
    io.out << item << (ok ? ": written\n" : ": FAILED, " + WriteFailure(s.link) + "\n") << std::flush;
    if (progress) io.err << '\r' << what << ": " << ++writes << " writes done" << std::flush;
  };
  const std::vector<std::string> failed = paramset::WriteParameterSet(s.link, plan, hooks);

  // Whatever went out is read back, and every key compared with the file.
  const TableImage written = s.image;
  paramset::TransferHooks readHooks;
  readHooks.pause = io.pause;
  int reads = 0;
  readHooks.done = [&](const std::string&, int) {
    if (progress) io.err << '\r' << what << ": " << ++reads << " read back" << std::flush;
  };
  const paramset::ReadBack back = paramset::ReadBackParameterSet(s.link, plan, written, readHooks);
  clearProgress();
  std::vector<std::string> problems;
  if (!failed.empty()) problems.push_back("not written: " + Joined(failed, ", "));
  if (!back.unread.empty()) problems.push_back("not read back: " + Joined(back.unread, ", "));
  if (!back.differing.empty()) {
    std::vector<std::string> keys;
    for (const Key* key : back.differing) keys.push_back(key->section + "/" + key->name);
    problems.push_back("the controller holds other values for " + Joined(keys, ", "));
  }
  if (!problems.empty()) {
    if (options.eeprom) io.err << "rq30ctl: EEPROM not stored: the set is not as written\n";
    if (refused) throw ControllerRefusal(what + ": " + Joined(problems, "; "));
    throw Failure(what + ": " + Joined(problems, "; "));
  }
  io.out << "read back: as written\n";
  if (options.eeprom) {
    if (!s.link.StoreToEeprom()) ThrowWriteFailure(s.link, "EEPROM");
    io.out << "EEPROM: written\n";
  }
  return kOk;
}

}  // namespace

int ParamsCommand(Session& s, const CommandArgs& a, const LocaleTexts& texts, Io& io) {
  const std::string& what = a.plain[0];
  const std::string& path = a.plain[1];
  if (what == "save") return ParamsSave(s, path, texts, io);
  if (what == "diff") return ParamsDiff(s, path, a.Has("--with-address"), texts, io);
  LoadOptions options;
  options.eeprom = a.Has("--eeprom");
  options.withAddress = a.Has("--with-address");
  options.otherVariant = a.Has("--other-variant");
  return ParamsLoad(s, path, options, texts, io);
}

}  // namespace rq30::cli
