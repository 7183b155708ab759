// pal.dat. The reader takes a path, so each input goes through a file in a
// private temporary folder.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "analysis/Palette.h"

using namespace vode;

namespace {

std::string tempFile() {
  // Memory-backed when the machine has it: a file written per input is the
  // driver's whole cost.
  char folder[] = "/dev/shm/vode-fuzz-palette-XXXXXX";
  if (mkdtemp(folder)) return std::string(folder) + "/pal.dat";
  std::strcpy(folder, "/tmp/vode-fuzz-palette-XXXXXX");
  if (!mkdtemp(folder)) std::abort();
  return std::string(folder) + "/pal.dat";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const std::string path = tempFile();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
  bool found = true;
  const Palette p = Palette::load(path, &found);
  FUZZ_CHECK(found == (size == 256));
  for (int i = 0; i < Palette::Size; ++i) {
    FUZZ_CHECK(p.entries[i].flags == 0);
    if (found) FUZZ_CHECK(p.entries[i].red == data[4 * i] && p.entries[i].blue == data[4 * i + 2]);
  }
  return 0;
}
