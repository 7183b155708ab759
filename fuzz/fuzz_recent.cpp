// The recent-file list: load, add, save and load again.
#include "FuzzSupport.h"
#include "formats/RecentFiles.h"

using namespace vode;
using namespace vode::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  MemoryFileSystem fs;
  fs.files["/cfg/MERO.INI"].assign(data, data + size);
  // Every line names an existing file, so the list keeps what it reads.
  std::string line;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i == size || data[i] == '\r' || data[i] == '\n') {
      if (!line.empty()) fs.files[line];
      line.clear();
    } else {
      line.push_back(static_cast<char>(data[i]));
    }
  }
  RecentFiles list;
  list.load("/cfg/", fs);
  FUZZ_CHECK(list.entries().size() <= static_cast<std::size_t>(RecentFiles::DefaultSlots));
  for (const auto& e : list.entries()) {
    FUZZ_CHECK(!e.empty());
    FUZZ_CHECK(e.find('\r') == std::string::npos && e.find('\n') == std::string::npos);
    (void)parentDirectory(e);
    (void)RecentFiles::slotCaption(1, e);
  }
  list.add("/r/new.mer");
  fs.files["/r/new.mer"];
  FUZZ_CHECK(list.save("/cfg/", fs) == 0);
  RecentFiles again;
  again.load("/cfg/", fs);
  FUZZ_CHECK(again.entries() == list.entries());
  return 0;
}
