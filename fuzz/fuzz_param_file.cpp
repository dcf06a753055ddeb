// The parameter set file's load on arbitrary file contents, in every
// firmware variant and with either decimal separator.
//
// Input: the variant, the separator, then the file's bytes. Held to:
//  - a COMP value the load stops at really is no number of its form;
//  - the image a load gives saves to a file that loads and saves back
//    byte for byte the same (one save settles every value: nothing a file
//    can hold makes the editor drift from save to save). A save writes and
//    reads back all 470 keys, a hundred times the work of a small load, so
//    this is checked for one input in 128, picked by a hash of the input so
//    that the share stays the same however the corpus grows.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "byte_reader.h"
#include "ini_file.h"
#include "param_file.h"
#include "param_values.h"
#include "safe_file.h"

namespace {

[[noreturn]] void Finding(const char* what) {
  std::fprintf(stderr, "fuzz_param_file: %s\n", what);
  std::abort();
}

void Require(bool condition, const char* what) {
  if (!condition) Finding(what);
}

const std::string& Folder() {
  static const std::string folder = [] {
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string name = base + "/rq30-fuzz-params-XXXXXX";
    if (!mkdtemp(name.data())) Finding("no temporary folder");
    static std::string made = name;
    std::atexit([] { std::filesystem::remove_all(made); });
    return name;
  }();
  return folder;
}

// The seed replay checks every input.
bool RoundTripAlways() {
  return std::getenv("RQ30_FUZZ_ROUND_TRIP") != nullptr;
}

// What the editor saves after loading the file at `path`.
std::string SaveOfLoad(const rq30::IniFile& file, int variant, char separator,
                       const std::string& path) {
  rq30::TableImage image{};
  rq30::paramset::LoadImage(file, image, variant, separator);
  unlink(path.c_str());
  rq30::paramset::SaveImage(path, image, variant, separator);
  std::string bytes;
  Require(rq30::ReadWholeFile(path, bytes) == rq30::FileRead::kOk,
          "a saved parameter file is missing");
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  rq30::fuzz::ByteReader in(data, size);
  const int variant = in.Byte() % 4;
  const char separator = (in.Byte() & 1) ? ',' : '.';
  const rq30::IniFile file = rq30::IniFile::FromBytes("fuzz.ini", in.Rest());

  rq30::TableImage image{};
  const rq30::paramset::ImageLoad load = rq30::paramset::LoadImage(file, image, variant, separator);
  if (const rq30::paramset::Key* bad = load.badComp) {
    const std::string text = rq30::paramset::FileValue(file, *bad);
    float f = 0;
    long whole = 0;
    const bool parses = bad->form == rq30::paramset::Form::kWhole
                            ? rq30::paramset::ParseWholeText(text, whole)
                            : rq30::paramset::ParseFileFloat(text, separator, f);
    Require(!parses, "the load stopped at a value that is a number");
  }

  uint32_t hash = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  if (hash % 128 != 0 && !RoundTripAlways()) return 0;
  const std::string first = SaveOfLoad(file, variant, separator, Folder() + "/first.ini");
  const std::string second = SaveOfLoad(rq30::IniFile::FromBytes("first.ini", first), variant,
                                        separator, Folder() + "/second.ini");
  Require(first == second, "a saved parameter file does not save back the same");
  return 0;
}
