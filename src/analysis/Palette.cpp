#include "analysis/Palette.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace vode {

Palette Palette::grey() {
  static const uint8_t levels[16] = {255, 247, 239, 231, 223, 207, 191, 159, 143, 127, 111, 79, 63, 47, 31, 15};
  Palette p;
  for (int i = 0; i < Size; ++i) {
    const uint8_t g = levels[i / 4];
    p.entries[i] = PaletteEntry{g, g, g, 0};
  }
  return p;
}

Palette Palette::load(const std::string& path, bool* found) {
  if (found) *found = false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return grey();
  // Read one byte more than needed, so a longer file is noticed.
  std::vector<char> bytes(Size * 4 + 1);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.gcount() != Size * 4) return grey();
  Palette p;
  for (int i = 0; i < Size; ++i) {
    p.entries[i] = PaletteEntry{static_cast<uint8_t>(bytes[4 * i]), static_cast<uint8_t>(bytes[4 * i + 1]),
                                static_cast<uint8_t>(bytes[4 * i + 2]), 0};
  }
  if (found) *found = true;
  return p;
}

}  // namespace vode
