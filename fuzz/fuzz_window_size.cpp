// window.ini: load, save what loaded, load that again.
#include "FuzzSupport.h"
#include "formats/WindowSizeFile.h"

using namespace vode;
using namespace vode::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  MemoryFileSystem fs;
  fs.files["/cfg/window.ini"].assign(data, data + size);
  const KeptWindowSize kept = loadWindowSize("/cfg/", fs);
  // No size at all, or both sides within what a window may be given.
  FUZZ_CHECK((kept.width == 0) == (kept.height == 0));
  FUZZ_CHECK(kept.width >= 0 && kept.width <= MaxWindowSide);
  FUZZ_CHECK(kept.height >= 0 && kept.height <= MaxWindowSide);
  if (size > MaxWindowSizeFileBytes) FUZZ_CHECK(!kept.hasSize() && !kept.maximized);

  FUZZ_CHECK(saveWindowSize("/cfg/", kept, fs) == 0);
  const KeptWindowSize again = loadWindowSize("/cfg/", fs);
  FUZZ_CHECK(again.width == kept.width && again.height == kept.height && again.maximized == kept.maximized);
  return 0;
}
