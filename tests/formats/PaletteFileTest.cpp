#include "formats/PaletteFile.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace vode {
namespace {

TEST(PaletteFile, PalDatMustHoldExactly256Bytes) {
  test::TempDir dir;
  std::vector<uint8_t> bytes(256);
  for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(i);
  test::writeBytes(dir.file("pal.dat"), bytes);
  bool found = false;
  Palette p = loadPalette(dir.file("pal.dat"), &found);
  EXPECT_TRUE(found);
  EXPECT_EQ(p.entries[1].red, 4);
  EXPECT_EQ(p.entries[1].green, 5);
  EXPECT_EQ(p.entries[1].blue, 6);
  EXPECT_EQ(p.entries[1].flags, 0);  // the stored 7 is not used
  EXPECT_EQ(p.entries[63].blue, 254);

  for (size_t size : {255u, 257u, 0u}) {
    bytes.resize(size, 1);
    test::writeBytes(dir.file("pal.dat"), bytes);
    p = loadPalette(dir.file("pal.dat"), &found);
    EXPECT_FALSE(found) << size;
    EXPECT_EQ(p.entries[4].red, 247) << size;
  }
  p = loadPalette(dir.file("missing.dat"), &found);
  EXPECT_FALSE(found);
  p = loadPalette(dir.path().string(), &found);  // a folder cannot be read
  EXPECT_FALSE(found);
  EXPECT_EQ(p.entries[63].red, 15);
  p = loadPalette("/dev/zero", &found);  // endless: refused, not read
  EXPECT_FALSE(found);
}

}  // namespace
}  // namespace vode
