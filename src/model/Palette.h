// The 64-entry colour table of the sonogram and the dB colour bar: a grey ramp
// from white to near black, or the colours of a pal.dat file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vode {

struct PaletteEntry {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t flags = 0;
};

struct Palette {
  static constexpr int Size = 64;
  std::array<PaletteEntry, Size> entries{};

  // Entry i is grey level G[i div 4]: white for the lowest level.
  static Palette grey();

  // The bytes of a pal.dat: exactly 256, 64 records of red, green, blue and a
  // flags byte (replaced by 0). Any other length gives the grey palette; found
  // is set when the bytes were used. The file itself is read by loadPalette
  // (formats/PaletteFile.h).
  static constexpr std::size_t FileBytes = Size * 4;
  static Palette fromFileBytes(const uint8_t* bytes, std::size_t size, bool* found = nullptr);
};

}  // namespace vode
