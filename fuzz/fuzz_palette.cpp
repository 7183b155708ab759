// pal.dat, read through the in-memory file system.
#include "FuzzSupport.h"
#include "formats/PaletteFile.h"

using namespace vode;
using namespace vode::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  MemoryFileSystem fs;
  fs.files["/c/pal.dat"].assign(data, data + size);
  bool found = true;
  const Palette p = loadPalette("/c/pal.dat", &found, fs);
  FUZZ_CHECK(found == (size == 256));
  const Palette grey = Palette::grey();
  for (int i = 0; i < Palette::Size; ++i) {
    const PaletteEntry& e = p.entries[i];
    FUZZ_CHECK(e.flags == 0);
    if (found) {
      FUZZ_CHECK(e.red == data[4 * i] && e.green == data[4 * i + 1] && e.blue == data[4 * i + 2]);
    } else {
      FUZZ_CHECK(e.red == grey.entries[i].red && e.blue == grey.entries[i].blue);
    }
  }
  return 0;
}
