// vode-cli sonogram: a channel's sonogram image as a PNG picture, one column
// per segment, through the grey palette or a pal.dat.
#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QString>
#include <QVector>
#include <iostream>
#include <string>

#include "analysis/Palette.h"
#include "analysis/WheezeMap.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/OpenAndAnalyse.h"
#include "formats/FileErrors.h"
#include "formats/FileSystem.h"
#include "model/Document.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli sonogram FILE -o OUT.png [options]\n"
    "\n"
    "Opens and analyses a recording and writes the sonogram of one channel:\n"
    "240 rows (highest frequency at the top), one column per 100 ms segment.\n"
    "\n"
    "  -o, --output OUT.png   the picture\n"
    "  --channel C            sound channel, 1-based (default 1)\n"
    "  --max-frequency F      1200|2400|4800 (default: the file's own range)\n"
    "  --wheeze               the wheeze image instead of the sonogram\n"
    "  --scale K              each pixel K x K, 1-10 (default 1)\n"
    "  --palette pal.dat      64 colours of 4 bytes (default: grey)\n"
    "  --settings FILE        load a settings file first\n";

constexpr int SonogramRows = 240;  // rows 0-238 hold levels, row 239 stays at entry 0
constexpr int MaxScale = 10;

// Entry 64 of the picture's colour table: the wheeze marks, drawn in black
// because the palette's darkest level is not.
constexpr uint8_t MarkEntry = Palette::Size;

QImage sonogramPicture(const IndexedImage& image, const Palette& palette, int scale) {
  QImage picture(image.width * scale, SonogramRows * scale, QImage::Format_Indexed8);
  QVector<QRgb> colours;
  for (const PaletteEntry& e : palette.entries) colours.push_back(qRgb(e.red, e.green, e.blue));
  colours.push_back(qRgb(0, 0, 0));
  picture.setColorTable(colours);
  for (int y = 0; y < SonogramRows * scale; ++y) {
    uchar* line = picture.scanLine(y);
    const int row = y / scale;
    for (int x = 0; x < image.width * scale; ++x) {
      const uint8_t level = row < image.height ? image.at(x / scale, row) : 0;
      // Other values outside the palette cannot come from the analysis; keep
      // any stray one inside the colour table all the same.
      line[x] = level == WheezeMarkIndex ? MarkEntry : level < Palette::Size ? level : Palette::Size - 1;
    }
  }
  return picture;
}

}  // namespace

int cmdSonogram(const Arguments& arguments) {
  if (printHelpIfAsked(arguments, Usage)) return ExitOk;
  ParsedArgs args;
  std::string error;
  const std::vector<OptionSpec> specs = {{"--output", 1}, {"--channel", 1}, {"--max-frequency", 1},
                                         {"--wheeze", 0}, {"--scale", 1},   {"--palette", 1},
                                         {"--settings", 1}};
  if (!parseArgs(withLongOutputOption(arguments), specs, args, error)) return usageError(error, Usage);
  if (args.positional.size() != 1) return usageError("give exactly one input file", Usage);
  if (!args.has("--output")) return usageError("no output given (-o OUT.png)", Usage);

  AnalysisSetup setup;
  long long channel = 1;
  if (args.has("--channel") && (!parseInt(args.value("--channel"), channel) || channel < 1 || channel > 8))
    return usageError("--channel needs a channel number from 1 to 8", Usage);
  if (!readAnalysisOptions(args, setup, error)) return usageError(error, Usage);
  long long scale = 1;
  if (args.has("--scale") && (!parseInt(args.value("--scale"), scale) || scale < 1 || scale > MaxScale))
    return usageError("--scale needs a whole number from 1 to 10", Usage);
  Palette palette = Palette::grey();
  if (args.has("--palette")) {
    bool found = false;
    palette = Palette::load(args.value("--palette"), &found);
    if (!found) {
      std::cerr << "vode-cli: " << args.value("--palette") << " is not a palette (64 entries of 4 bytes)\n";
      return ExitFileError;
    }
  }

  StderrPrompter prompter;
  Document doc;
  const std::string input = args.positional.front();
  if (openAndAnalyse(doc, input, setup, palette, prompter) != ExitOk) return ExitFileError;
  const int c = static_cast<int>(channel) - 1;
  if (!doc.spectra || !doc.spectra->hasPower(c) || c >= doc.recording->channelCount) {
    std::cerr << "vode-cli: " << input << " has no channel " << channel << "\n";
    return ExitFileError;
  }
  if (setup.wheeze && !(doc.wheezeMap && doc.wheezeMap->hasImage(c))) {
    std::cerr << "vode-cli: no wheeze image for channel " << channel << "\n";
    return ExitFileError;
  }
  const IndexedImage& image = setup.wheeze ? doc.wheezeMap->image[c] : doc.spectra->sonogram[c];
  const QImage picture = sonogramPicture(image, palette, static_cast<int>(scale));
  const std::string out = args.value("--output");
  // Encoded in memory, then written by the same rule as every other file: a
  // read-only picture stays, a link is followed, a failed write keeps the old.
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, "PNG")) {
    std::cerr << "vode-cli: cannot write " << out << "\n";
    return ExitFileError;
  }
  const std::vector<uint8_t> bytes(png.begin(), png.end());
  if (const int code = writeFileAtomically(FileSystem::real(), out, bytes)) {
    std::cerr << "vode-cli: cannot write " << out << "... " << FileErrorText(code) << "\n";
    return ExitFileError;
  }
  return ExitOk;
}

}  // namespace vode::cli
