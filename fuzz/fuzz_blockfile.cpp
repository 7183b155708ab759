// Recording and settings files (.mer, MERO.SET). A file that loads must be
// written back by the savers and read again to the same image.
#include "FuzzSupport.h"
#include "formats/BlockFile.h"

using namespace vode;
using namespace vode::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  MemoryFileSystem fs;
  fs.files["/r/x.mer"].assign(data, data + size);
  FuzzPrompter prompter;
  CheckingProgress progress;
  Document doc;
  const int code = loadBlockFile(doc, "/r/x.mer", prompter, progress, fs);
  FUZZ_CHECK(progress.depth == 0);
  checkDocument(doc, code);
  if (code != 0) return 0;

  const int32_t n = doc.recording ? doc.recording->segmentCount : 0;
  // A tag table saved with no segment is stored empty and not read back.
  if (n == 0) doc.tagTable.reset();
  const std::vector<uint8_t> image =
      doc.recording ? recordingFileImage(doc, 0, n - 1) : settingsFileImage(doc);
  fs.files["/r/y.mer"] = image;
  Document again;
  const int code2 = loadBlockFile(again, "/r/y.mer", prompter, progress, fs);
  FUZZ_CHECK(code2 == 0);
  checkDocument(again, 0);
  const std::vector<uint8_t> image2 =
      again.recording ? recordingFileImage(again, 0, n - 1) : settingsFileImage(again);
  FUZZ_CHECK(image == image2);
  return 0;
}
