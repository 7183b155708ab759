// vode-cli sonogram: the picture's size, format and palette.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "analysis/AnalysisCommand.h"
#include "analysis/WheezeDetection.h"
#include "analysis/WheezeMap.h"
#include "cli/ReportCliSupport.h"
#include "document/Document.h"
#include "document/OpenDocument.h"
#include "formats/OpenFile.h"
#include "model/Palette.h"
#include "model/Progress.h"
#include "support/TestSupport.h"

using namespace vode::test;
using namespace vode::test::reportcli;

namespace {

const std::string Flow2 = testdata("flow2_tagged.mer");  // 150 segments, 2 channels

uint32_t bigEndian(const std::string& s, std::size_t at) {
  return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) | (uint32_t(uint8_t(s[at + 2])) << 8) |
         uint32_t(uint8_t(s[at + 3]));
}

struct PngHeader {
  uint32_t width = 0, height = 0;
  int bitDepth = 0, colourType = 0;
};

PngHeader headerOf(const std::string& png) {
  PngHeader h;
  if (png.size() < 33 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || png.compare(12, 4, "IHDR") != 0) return h;
  h.width = bigEndian(png, 16);
  h.height = bigEndian(png, 20);
  h.bitDepth = uint8_t(png[24]);
  h.colourType = uint8_t(png[25]);
  return h;
}

// The bytes of the PLTE chunk, empty without one.
std::string paletteOf(const std::string& png) {
  const auto at = png.find("PLTE");
  if (at == std::string::npos || at < 4) return "";
  return png.substr(at + 4, bigEndian(png, at - 4));
}

}  // namespace

TEST(SonogramCommand, OneColumnPerSegmentAndTwoHundredFortyRows) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  const std::string out = dir.file("s.png");
  const RunResult r = runVode({"sonogram", Flow2, "-o", out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string png = readText(out);
  const PngHeader h = headerOf(png);
  EXPECT_EQ(h.width, 150u);
  EXPECT_EQ(h.height, 240u);
  EXPECT_EQ(h.bitDepth, 8);
  EXPECT_EQ(h.colourType, 3);  // palette-indexed
  // The grey palette starts white; after its 64 levels comes black for the
  // wheeze marks.
  const std::string colours = paletteOf(png);
  ASSERT_EQ(colours.size(), 65u * 3);
  EXPECT_EQ(colours.substr(0, 3), std::string("\xff\xff\xff"));
  EXPECT_EQ(colours.substr(63 * 3, 3), std::string("\x0f\x0f\x0f"));
  EXPECT_EQ(colours.substr(64 * 3), std::string(3, '\0'));

  const RunResult scaledRun =
      runVode({"sonogram", Flow2, "-o", out, "--scale", "3", "--channel", "2", "--max-frequency", "4800"});
  ASSERT_EQ(scaledRun.exitCode, 0) << scaledRun.err;
  const PngHeader scaled = headerOf(readText(out));
  EXPECT_EQ(scaled.width, 450u);
  EXPECT_EQ(scaled.height, 720u);
}

TEST(SonogramCommand, WheezeImageKeepsTheSize) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  const std::string sono = dir.file("s.png");
  const std::string wheeze = dir.file("w.png");
  ASSERT_EQ(runVode({"sonogram", Flow2, "-o", sono}).exitCode, 0);
  const RunResult r = runVode({"sonogram", Flow2, "-o", wheeze, "--wheeze"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const PngHeader h = headerOf(readText(wheeze));
  EXPECT_EQ(h.width, 150u);
  EXPECT_EQ(h.height, 240u);
  // The recording holds a wheeze: its marks change the picture.
  EXPECT_NE(readText(wheeze), readText(sono));
}

TEST(SonogramCommand, PaletteFileGivesTheColours) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  std::vector<uint8_t> pal(256);
  for (int i = 0; i < 64; ++i) {
    pal[4 * i] = uint8_t(4 * i);
    pal[4 * i + 1] = uint8_t(255 - 4 * i);
    pal[4 * i + 2] = 7;
    pal[4 * i + 3] = 99;  // the flags byte is not a colour
  }
  writeBytes(dir.file("pal.dat"), pal);
  const std::string out = dir.file("s.png");
  ASSERT_EQ(runVode({"sonogram", Flow2, "-o", out, "--palette", dir.file("pal.dat")}).exitCode, 0);
  const std::string colours = paletteOf(readText(out));
  ASSERT_GE(colours.size(), 6u);
  EXPECT_EQ(colours.substr(0, 6), std::string("\x00\xff\x07\x04\xfb\x07", 6));

  writeBytes(dir.file("short.dat"), std::vector<uint8_t>(100, 1));
  const RunResult bad = runVode({"sonogram", Flow2, "-o", dir.file("t.png"), "--palette", dir.file("short.dat")});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("t.png")));
}

TEST(SonogramCommand, WrongArgumentsAndChannels) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  const std::string out = dir.file("s.png");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"sonogram", Flow2},
           {"sonogram", "-o", out},
           {"sonogram", Flow2, Flow2, "-o", out},
           {"sonogram", Flow2, "-o", out, "--scale", "0"},
           {"sonogram", Flow2, "-o", out, "--scale", "11"},
           {"sonogram", Flow2, "-o", out, "--channel", "0"},
           {"sonogram", Flow2, "-o", out, "--max-frequency", "600"},
       })
    EXPECT_EQ(runVode(args).exitCode, 2) << args.back();
  const RunResult channel = runVode({"sonogram", Flow2, "-o", out, "--channel", "3"});
  EXPECT_EQ(channel.exitCode, 1);
  EXPECT_NE(channel.err.find("no channel 3"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(runVode({"sonogram", dir.file("none.mer"), "-o", out}).exitCode, 1);
}

namespace {

// The document vode-cli analyses for a sonogram, analysed here the same way.
std::unique_ptr<vode::Document> analysed(const std::string& path, int frequencyIndex, bool wheeze) {
  auto doc = std::make_unique<vode::Document>();
  ScriptedPrompter prompter;
  vode::NullProgress progress;
  EXPECT_EQ(vode::openPath(*doc, path, prompter, progress), 0);
  doc->preferences.frequency = static_cast<int16_t>(frequencyIndex);
  vode::DoAnalyzeClick(*doc, *doc, vode::Palette::grey(), progress, prompter);
  if (wheeze) {
    EXPECT_EQ(vode::DetectWheezes(*doc, *doc, progress, prompter), 0);
  }
  return doc;
}

// Every pixel of the picture against rows 0-239 of the image, each K x K.
void expectPicture(const QImage& picture, const vode::IndexedImage& image, int scale) {
  ASSERT_EQ(picture.format(), QImage::Format_Indexed8);
  ASSERT_EQ(picture.width(), image.width * scale);
  ASSERT_EQ(picture.height(), 240 * scale);
  int mismatches = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const uint8_t level = image.at(x / scale, y / scale);
      const int expected = level == vode::WheezeMarkIndex ? 64 : level;
      if (picture.pixelIndex(x, y) != expected && ++mismatches < 5)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << picture.pixelIndex(x, y) << " for " << expected;
    }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace

TEST(SonogramCommand, PixelsAreTheImageRowsScaled) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  const std::string out = dir.file("s.png");
  ASSERT_EQ(runVode({"sonogram", Flow2, "-o", out, "--channel", "2", "--max-frequency", "2400", "--scale", "2"})
                .exitCode,
            0);
  auto doc = analysed(Flow2, 1, false);
  const vode::IndexedImage& image = doc->spectra->sonogram[1];
  QImage picture(QString::fromStdString(out));
  expectPicture(picture, image, 2);
  // Row 239 (bin 0) is never painted: the lightest entry all along.
  for (int x = 0; x < picture.width(); ++x) EXPECT_EQ(picture.pixelIndex(x, 239 * 2 + 1), 0);
  // The picture uses more than one level.
  int levels = 0;
  for (int v : std::set<int>{image.pixels.begin(), image.pixels.begin() + 240 * image.width}) levels += v > 0;
  EXPECT_GT(levels, 10);

  ASSERT_EQ(runVode({"sonogram", Flow2, "-o", out, "--max-frequency", "4800"}).exitCode, 0);
  expectPicture(QImage(QString::fromStdString(out)), analysed(Flow2, 2, false)->spectra->sonogram[0], 1);
}

TEST(SonogramCommand, WheezeMarksAreBlack) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  const std::string out = dir.file("w.png");
  ASSERT_EQ(runVode({"sonogram", Flow2, "-o", out, "--wheeze", "--scale", "3"}).exitCode, 0);
  auto doc = analysed(Flow2, 0, true);
  const vode::IndexedImage& image = doc->wheezeMap->image[0];
  const QImage picture(QString::fromStdString(out));
  expectPicture(picture, image, 3);
  int marks = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.pixelIndex(x, y) == 64) {
        ++marks;
        EXPECT_EQ(picture.pixel(x, y), qRgb(0, 0, 0));
      }
  // The recording's wheeze leaves marks, each a 3 x 3 block.
  EXPECT_GT(marks, 0);
  EXPECT_EQ(marks % 9, 0);
}
