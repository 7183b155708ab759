#include "formats/RecentFiles.h"

#include <algorithm>
#include <cctype>

#include "formats/SettingsFiles.h"

namespace vode {

namespace {

std::string upperCase(std::string text) {
  for (char& ch : text) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return text;
}

}  // namespace

void RecentFiles::load(const std::string& folder, FileSystem& fs) {
  entries_.clear();
  std::vector<uint8_t> bytes;
  if (readBoundedFile(fs, configFilePath(folder, RecentFileName), MaxRecentListBytes, bytes) != 0) return;
  // A line ends at CR LF, LF or a lone CR, so a list edited on any system
  // reads the same.
  std::string line;
  auto finish = [&] {
    if (!line.empty() && fs.exists(line)) entries_.push_back(line);
    line.clear();
  };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const uint8_t b = bytes[i];
    if (b == '\r' || b == '\n') {
      finish();
      if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line.push_back(static_cast<char>(b));
    }
  }
  finish();
  trim();
}

void RecentFiles::add(const std::string& path) {
  const std::string key = upperCase(path);
  auto same = std::find_if(entries_.begin(), entries_.end(), [&](const std::string& e) { return upperCase(e) == key; });
  if (same != entries_.end()) entries_.erase(same);
  entries_.insert(entries_.begin(), path);
  trim();
}

int RecentFiles::save(const std::string& folder, FileSystem& fs) const {
  std::vector<uint8_t> bytes;
  for (const std::string& e : entries_) {
    bytes.insert(bytes.end(), e.begin(), e.end());
    bytes.push_back('\r');
    bytes.push_back('\n');
  }
  return writeFileAtomically(fs, configFilePath(folder, RecentFileName), bytes);
}

std::string RecentFiles::slotCaption(int i, const std::string& path) {
  std::string caption = "&";
  caption.append(std::to_string(i)).append(" ").append(path);
  return caption;
}

void RecentFiles::trim() {
  if (entries_.size() > static_cast<std::size_t>(slots_)) entries_.resize(static_cast<std::size_t>(slots_));
}

std::string parentDirectory(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace vode
