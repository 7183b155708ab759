#include "formats/PaletteFile.h"

#include <vector>

namespace vode {

Palette loadPalette(const std::string& path, bool* found, FileSystem& fs) {
  if (found) *found = false;
  // A longer regular file is refused unread, a pipe after one byte too many.
  std::vector<uint8_t> bytes;
  if (readBoundedFile(fs, path, Palette::FileBytes, bytes) != 0) return Palette::grey();
  return Palette::fromFileBytes(bytes.data(), bytes.size(), found);
}

}  // namespace vode
