// Feeds every stored fuzz input to its driver's entry point, without
// libFuzzer: built by g++ with the tests, so a change that breaks a driver's
// check on an input the fuzzer once found fails the test run. A failed check
// aborts, naming the driver and the file first.
//   fuzz_replay CORPUS_ROOT   (CORPUS_ROOT/DRIVER/* for every driver)
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define VODE_FUZZ_DRIVERS(X) \
  X(blockfile) X(bin) X(wav) X(dos) X(settings) X(recent) X(palette) X(open_analyse) X(window_size) X(cycles) X(labels)

#define VODE_DECLARE(name) extern "C" int replay_##name(const uint8_t* data, std::size_t size);
VODE_FUZZ_DRIVERS(VODE_DECLARE)

namespace {

struct Driver {
  const char* name;
  int (*entry)(const uint8_t*, std::size_t);
};

#define VODE_ENTRY(name) Driver{#name, replay_##name},
const Driver drivers[] = {VODE_FUZZ_DRIVERS(VODE_ENTRY)};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_replay CORPUS_ROOT\n");
    return 2;
  }
  namespace fs = std::filesystem;
  int missing = 0;
  for (const Driver& d : drivers) {
    const fs::path folder = fs::path(argv[1]) / d.name;
    if (!fs::is_directory(folder)) {
      std::fprintf(stderr, "%s: no corpus at %s\n", d.name, folder.c_str());
      ++missing;
      continue;
    }
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder))
      if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      std::ifstream in(file, std::ios::binary);
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      std::fprintf(stderr, "%s %s\r", d.name, file.filename().c_str());
      d.entry(bytes.data(), bytes.size());
    }
    std::printf("%-13s %zu inputs\n", d.name, files.size());
  }
  return missing == 0 ? 0 : 1;
}
