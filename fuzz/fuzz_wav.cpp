// WAV import into an empty document, and into one holding a recording of the
// file's own shape (the "keep the airflow" question, answered from the input).
#include "FuzzSupport.h"
#include "formats/Wav.h"
#include "model/Bytes.h"

using namespace vode;
using namespace vode::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  MemoryFileSystem fs;
  fs.files["/r/x.wav"].assign(data + 1, data + size);
  FuzzPrompter prompter(mode);
  CheckingProgress progress;
  Document doc;
  if ((mode & 0x80) && size >= 1 + 44) {
    // An open recording shaped like the file claims to be.
    const int channels = getU16(data + 1 + 22);
    const uint32_t bytes = getU32(data + 1 + 40);
    if (channels >= 1 && channels <= MaxChannels) {
      const uint32_t segments = bytes / (static_cast<uint32_t>(channels) * 2048u);
      // Only when the file holds that much: otherwise the import stops
      // before the question, and the recording would just cost time.
      if (segments <= MaxSegments && size - 1 - 44 >= std::size_t{segments} * channels * 2048u)
        doc.recording = std::make_unique<Recording>(Recording::create(static_cast<int32_t>(segments), channels));
    }
  }
  const bool hadRecording = doc.recording != nullptr;
  const int code = importWav(doc, "/r/x.wav", prompter, progress, fs);
  FUZZ_CHECK(progress.depth == 0);
  if (code != 0 && hadRecording) return 0;  // the open recording stays
  checkDocument(doc, code);
  if (code != 0) return 0;
  FUZZ_CHECK(doc.recording);

  FUZZ_CHECK(exportWav(doc, "/r/y.wav", fs) == 0);
  Document again;
  FUZZ_CHECK(importWav(again, "/r/y.wav", prompter, progress, fs) == 0);
  checkDocument(again, 0);
  FUZZ_CHECK(again.recording->sound == doc.recording->sound);
  return 0;
}
