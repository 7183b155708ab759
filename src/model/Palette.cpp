#include "model/Palette.h"

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

Palette Palette::fromFileBytes(const uint8_t* bytes, std::size_t size, bool* found) {
  if (found) *found = false;
  if (size != FileBytes) return grey();
  Palette p;
  for (int i = 0; i < Size; ++i) {
    p.entries[i] = PaletteEntry{bytes[4 * i], bytes[4 * i + 1], bytes[4 * i + 2], 0};
  }
  if (found) *found = true;
  return p;
}

}  // namespace vode
