// What the window and vode-cli analyze do with a file: open it by its
// extension, run the analysis command and, when asked, the wheeze detector.
// The first input byte picks the extension, the frequency range, the panel,
// the wheeze detector and whether the next four bytes are the program's dB
// reference (as a hostile settings file would set it); the rest is the file.
// Every report kind is then built for the first and the last channel.
#include <algorithm>
#include <cstring>

#include "FuzzSupport.h"
#include "analysis/AnalysisCommand.h"
#include "analysis/WheezeDetection.h"
#include "document/OpenDocument.h"
#include "model/Bytes.h"
#include "model/Palette.h"
#include "reports/ReportWriter.h"

using namespace vode;
using namespace vode::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  ++data;
  --size;
  float dBReference = 1e-8f;
  if (mode & 0x40) {
    if (size < 4) return 0;
    const uint32_t bits = getU32(data);
    std::memcpy(&dBReference, &bits, sizeof dBReference);
    data += 4;
    size -= 4;
  }
  static const char* const names[] = {"/r/x.mer", "/r/x.bin", "/r/x.wav", "/r/x.dat"};
  const std::string path = names[mode & 3];
  MemoryFileSystem fs;
  fs.files[path].assign(data, data + size);
  FuzzPrompter prompter(mode);
  CheckingProgress progress;
  Document doc;
  doc.preferences.dBReference = dBReference;
  if (mode & 0x20) {
    doc.panel.rectifydB = true;
    doc.panel.spinMin = 100;
    doc.panel.spinMax = 4800;
    doc.panel.spinFlow = 5;
    doc.panel.spindB = 0;
  }
  const int code = openPath(doc, path, prompter, progress, fs);
  FUZZ_CHECK(progress.depth == 0);
  checkDocument(doc, code);
  if (code != 0 || !doc.hasRecording()) return 0;

  const int frequency = (mode >> 3) & 3;
  if (frequency < 3) doc.preferences.frequency = static_cast<int16_t>(frequency);
  DoAnalyzeClick(doc, doc, Palette::grey(), progress, prompter);
  FUZZ_CHECK(progress.depth == 0);
  checkDocument(doc, 0);
  if ((mode & 4) && doc.spectra) {
    DetectWheezes(doc, doc, progress, prompter, 1);
    FUZZ_CHECK(progress.depth == 0);
  }

  // The last channel only when it is another one: the reports are most of
  // the driver's time, and building them twice for one channel finds nothing.
  const int lastChannel = doc.recording->channelCount - 1;
  for (int channel = 0; channel <= lastChannel; channel += std::max(lastChannel, 1)) {
    for (int k = 0; k < ReportKindCount; ++k) {
      ReportOptions options;
      options.channel = channel;
      options.watts = (mode & 0x80) != 0;
      options.maxFrequency = 1200 << std::clamp<int>(doc.preferences.frequency, 0, 2);
      std::string text;
      const int code = ReportText(doc, doc, static_cast<ReportKind>(k), options, prompter, text);
      FUZZ_CHECK(code <= 0);
      FUZZ_CHECK((code == 0) == !text.empty());
    }
  }
  return 0;
}
