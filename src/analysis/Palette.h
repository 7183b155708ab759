// The 64-entry colour table of the sonogram and the dB colour bar: a grey ramp
// from white to near black, or the colours of a pal.dat file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

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

  // pal.dat: exactly 256 bytes, 64 records of red, green, blue and a flags
  // byte (replaced by 0). A missing, unreadable, shorter or longer file gives
  // the grey palette; found is set when the file was used.
  static Palette load(const std::string& path, bool* found = nullptr);
};

}  // namespace vode
