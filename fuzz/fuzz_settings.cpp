// The default settings file as the program reads it at start, then the
// settings save of what was read.
#include "FuzzSupport.h"
#include "formats/SettingsFiles.h"

using namespace vode;
using namespace vode::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  MemoryFileSystem fs;
  fs.files["/cfg/MERO.SET"].assign(data, data + size);
  FuzzPrompter prompter;
  CheckingProgress progress;
  Document doc;
  doc.state.ioError = 7;
  const int code = loadDefaultSettings(doc, "/cfg/", prompter, progress, fs);
  FUZZ_CHECK(progress.depth == 0);
  FUZZ_CHECK(doc.state.ioError == 7);
  doc.state.ioError = code;
  checkDocument(doc, code);
  if (code != 0) return 0;
  if (doc.hasRecording()) return 0;  // a recording file given as settings: saving is skipped
  FUZZ_CHECK(saveSettings(doc, "/cfg/", prompter, progress, fs) == 0);
  Document again;
  FUZZ_CHECK(loadDefaultSettings(again, "/cfg/", prompter, progress, fs) == 0);
  return 0;
}
