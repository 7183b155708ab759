// vode-cli sonogram: a channel's sonogram image as a PNG picture, one column
// per segment, through the grey palette or a pal.dat.
#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QString>
#include <QVector>
#include <iostream>
#include <string>

#include "analysis/WheezeMap.h"
#include "cli/Batch.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/OpenAndAnalyse.h"
#include "cli/OutputTarget.h"
#include "document/Document.h"
#include "formats/FileErrors.h"
#include "formats/FileSystem.h"
#include "formats/PaletteFile.h"
#include "model/Palette.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli sonogram FILE... -o OUT.png [options]\n"
    "\n"
    "Opens and analyses a recording and writes the sonogram of one channel:\n"
    "240 rows (highest frequency at the top), one column per 100 ms segment.\n"
    "With several files OUT is a folder and each picture is OUT/<name>.png.\n"
    "\n"
    "  -o, --output OUT.png   the picture (or folder); - for standard output (one\n"
    "                         file only)\n"
    "  --channel C            sound channel, 1-based (default 1)\n"
    "  --max-frequency F      1200|2400|4800 (default: the file's own range)\n"
    "  --wheeze               the wheeze image instead of the sonogram\n"
    "  --detector D           with --wheeze: standard (default) or tonal\n"
    "  --scale K              each pixel K x K, 1-10 (default 1)\n"
    "  --palette pal.dat      64 colours of 4 bytes (default: grey)\n"
    "  --settings FILE        load a settings file first\n"
    "  --jobs N               use N threads (default: every core); with several\n"
    "                         files, N files at a time, each analysed on one thread\n";

constexpr int SonogramRows = 240;  // rows 0-238 hold levels, row 239 stays at entry 0
constexpr int MaxScale = 10;

// Entry 64 of the picture's colour table: the wheeze marks, drawn in black
// because the palette's darkest level is not.
constexpr uint8_t MarkEntry = Palette::Size;

QImage sonogramPicture(const IndexedImage& image, const Palette& palette, int scale) {
  QImage picture(image.width * scale, SonogramRows * scale, QImage::Format_Indexed8);
  if (picture.isNull()) return picture;  // no memory for it
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

struct SonogramRequest {
  int channel = 1;  // 1-based
  int scale = 1;
  Palette palette = Palette::grey();
  AnalysisSetup setup;
};

int sonogramOne(const std::string& input, const std::string& out, const SonogramRequest& r, FileOutput& output) {
  StderrPrompter prompter(output.err);
  Document doc;
  AnalysisSetup setup = r.setup;
  setup.threads = output.analysisThreads;
  if (openAndAnalyse(doc, input, setup, r.palette, prompter) != ExitOk) return ExitFileError;
  const int c = r.channel - 1;
  if (doc.recording->segmentCount == 0) {
    output.err << "vode-cli: " << input << " has no segment to picture\n";
    return ExitFileError;
  }
  if (!doc.spectra || !doc.spectra->hasPower(c) || c >= doc.recording->channelCount) {
    output.err << "vode-cli: " << input << " has no channel " << r.channel << "\n";
    return ExitFileError;
  }
  if (setup.wheeze && !(doc.wheezeMap && doc.wheezeMap->hasImage(c))) {
    output.err << "vode-cli: no wheeze image for channel " << r.channel << "\n";
    return ExitFileError;
  }
  const IndexedImage& image = setup.wheeze ? doc.wheezeMap->image[c] : doc.spectra->sonogram[c];
  const QImage picture = sonogramPicture(image, r.palette, r.scale);
  if (picture.isNull()) {
    output.err << "vode-cli: " << input << ": " << FileErrorText(ErrNoMemory) << "\n";
    return ExitFileError;
  }
  // Encoded in memory, then written by the same rule as every other file: a
  // read-only picture stays, a link is followed, a failed write keeps the old.
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, "PNG")) {
    output.err << "vode-cli: cannot write " << out << "\n";
    return ExitFileError;
  }
  if (isStandardOutput(out)) {
    output.out.write(png.constData(), png.size());
    return ExitOk;
  }
  const std::vector<uint8_t> bytes(png.begin(), png.end());
  if (const int code = writeFileAtomically(FileSystem::real(), out, bytes)) {
    output.err << "vode-cli: cannot write " << out << "... " << FileErrorText(code) << "\n";
    return ExitFileError;
  }
  return ExitOk;
}

}  // namespace

int cmdSonogram(const Arguments& arguments) {
  if (printHelpIfAsked(arguments, Usage)) return ExitOk;
  ParsedArgs args;
  std::string error;
  const std::vector<OptionSpec> specs = {{"--output", 1}, {"--channel", 1}, {"--max-frequency", 1},
                                         {"--wheeze", 0}, {"--scale", 1},   {"--palette", 1},
                                         {"--settings", 1}, {"--jobs", 1}, {"--detector", 1},
                                         {"--tonal-parameters", 1}};
  if (!parseArgs(withLongOutputOption(arguments), specs, args, error)) return usageError(error, Usage);
  const std::vector<std::string>& inputs = args.positional;
  if (inputs.empty()) return usageError("no input file", Usage);
  if (!args.has("--output")) return usageError("no output given (-o OUT.png)", Usage);

  SonogramRequest request;
  long long channel = 1;
  if (args.has("--channel") && (!parseInt(args.value("--channel"), channel) || channel < 1 || channel > 8))
    return usageError("--channel needs a channel number from 1 to 8", Usage);
  request.channel = static_cast<int>(channel);
  if (!readAnalysisOptions(args, request.setup, error)) return usageError(error, Usage);
  long long scale = 1;
  if (args.has("--scale") && (!parseInt(args.value("--scale"), scale) || scale < 1 || scale > MaxScale))
    return usageError("--scale needs a whole number from 1 to 10", Usage);
  request.scale = static_cast<int>(scale);
  int jobs = 0;
  if (!readJobsOption(args, jobs, error)) return usageError(error, Usage);
  if (args.has("--palette")) {
    if (!FileSystem::real().status(args.value("--palette")).exists) {
      std::cerr << openFailureText(args.value("--palette"), 2) << "\n";
      return ExitFileError;
    }
    bool found = false;
    request.palette = loadPalette(args.value("--palette"), &found);
    if (!found) {
      std::cerr << "vode-cli: " << args.value("--palette") << " is not a palette (64 entries of 4 bytes)\n";
      return ExitFileError;
    }
  }

  if (isStandardOutput(args.value("--output")) && inputs.size() > 1)
    return usageError("-o - writes the picture of one file to standard output", Usage);
  std::vector<std::string> targets;
  const int prepared = prepareOutputs(
      inputs, args.value("--output"), [](const std::string& input) { return stemOf(input) + ".png"; }, targets, Usage);
  if (prepared != ExitOk) return prepared;
  return runBatch(inputs, jobs, [&](std::size_t i, FileOutput& output) {
    return sonogramOne(inputs[i], targets[i], request, output);
  });
}

}  // namespace vode::cli
