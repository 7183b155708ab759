// BIN import, then the BIN export of what was read and its import again.
#include "FuzzSupport.h"
#include "formats/Bin.h"

using namespace vode;
using namespace vode::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  MemoryFileSystem fs;
  fs.files["/r/x.bin"].assign(data, data + size);
  FuzzPrompter prompter;
  CheckingProgress progress;
  Document doc;
  const int code = importBin(doc, "/r/x.bin", prompter, progress, fs);
  FUZZ_CHECK(progress.depth == 0);
  // A file cut inside a text record fails after the samples were taken; the
  // caller (openPath) resets the document.
  checkDocument(doc, code, false);
  if (code != 0) return 0;
  FUZZ_CHECK(doc.recording && doc.tagTable);
  FUZZ_CHECK(doc.tagTable->rows() == doc.recording->channelCount);
  FUZZ_CHECK(doc.tagTable->segments() == doc.recording->segmentCount);

  FUZZ_CHECK(exportBin(doc, "/r/y.bin", prompter, fs) == 0);
  Document again;
  FUZZ_CHECK(importBin(again, "/r/y.bin", prompter, progress, fs) == 0);
  checkDocument(again, 0);
  FUZZ_CHECK(again.recording->sound == doc.recording->sound);
  FUZZ_CHECK(again.recording->flow == doc.recording->flow);
  return 0;
}
