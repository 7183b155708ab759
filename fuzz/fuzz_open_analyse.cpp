// What the window and vode-cli analyze do with a file: open it by its
// extension, run the analysis command and, when asked, the wheeze detector.
// The first input byte picks the extension, the frequency range, the panel
// and the wheeze detector; the rest is the file.
#include "FuzzSupport.h"
#include "analysis/AnalysisCommand.h"
#include "analysis/Palette.h"
#include "analysis/WheezeDetection.h"
#include "formats/OpenFile.h"

using namespace vode;
using namespace vode::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  static const char* const names[] = {"/r/x.mer", "/r/x.bin", "/r/x.wav", "/r/x.dat"};
  const std::string path = names[mode & 3];
  MemoryFileSystem fs;
  fs.files[path].assign(data + 1, data + size);
  FuzzPrompter prompter(mode);
  CheckingProgress progress;
  Document doc;
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
  DoAnalyzeClick(doc, Palette::grey(), progress, prompter);
  FUZZ_CHECK(progress.depth == 0);
  checkDocument(doc, 0);
  if ((mode & 4) && doc.spectra) {
    DetectWheezes(doc, progress, prompter, 1);
    FUZZ_CHECK(progress.depth == 0);
  }
  return 0;
}
