// Runs a fuzz target over the files it is given (or every file in the
// folders it is given), once each, without libFuzzer: the seed corpora then
// check the targets' properties in every ordinary test run, with any
// compiler. A finding aborts, so the test fails.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace {

int Run(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  int inputs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path(argv[i]);
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file()) inputs += Run(entry.path());
      }
    } else {
      inputs += Run(path);
    }
  }
  std::printf("%d inputs, no finding\n", inputs);
  // A corpus that went missing must not pass as a clean run.
  return inputs > 0 ? 0 : 1;
}
