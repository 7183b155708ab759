// DOS .dat import.
#include "FuzzSupport.h"
#include "formats/DosDat.h"

using namespace vode;
using namespace vode::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  MemoryFileSystem fs;
  fs.files["/r/x.dat"].assign(data, data + size);
  FuzzPrompter prompter;
  CheckingProgress progress;
  Document doc;
  const int code = importDos(doc, "/r/x.dat", prompter, progress, fs);
  FUZZ_CHECK(progress.depth == 0);
  checkDocument(doc, code);
  if (code != 0) return 0;
  FUZZ_CHECK(doc.recording);
  FUZZ_CHECK(doc.recording->channelCount >= 1 && doc.recording->channelCount <= 2);
  return 0;
}
