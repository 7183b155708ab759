#include "formats/WindowSizeFile.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <vector>

#include "formats/SettingsFiles.h"

namespace vode {

namespace {

// A bigger figure is a damaged file rather than a large window.
constexpr int MaxSide = 100000;

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "clientSize=@Size(W H)" with both sides from 1 to MaxSide.
bool sizeIn(const std::string& line, int& w, int& h) {
  const std::string head = "clientSize=@Size(";
  if (line.rfind(head, 0) != 0 || line.back() != ')') return false;
  const char* p = line.data() + head.size();
  const char* end = line.data() + line.size() - 1;
  auto [afterW, e1] = std::from_chars(p, end, w);
  if (e1 != std::errc() || afterW == end || *afterW != ' ') return false;
  auto [afterH, e2] = std::from_chars(afterW + 1, end, h);
  return e2 == std::errc() && afterH == end && w > 0 && h > 0 && w <= MaxSide && h <= MaxSide;
}

}  // namespace

KeptWindowSize loadWindowSize(const std::string& folder, FileSystem& fs) {
  KeptWindowSize kept;
  std::vector<uint8_t> bytes;
  if (readBoundedFile(fs, configFilePath(folder, WindowSizeFileName), MaxWindowSizeFileBytes, bytes) != 0) return kept;
  std::istringstream lines(std::string(bytes.begin(), bytes.end()));
  std::string line;
  bool inWindow = false;
  while (std::getline(lines, line)) {
    line = trimmed(line);
    if (!line.empty() && line.front() == '[') {
      inWindow = line == "[Window]";
      continue;
    }
    if (!inWindow) continue;
    if (int w = 0, h = 0; sizeIn(line, w, h)) {
      kept.width = std::min(w, MaxWindowSide);
      kept.height = std::min(h, MaxWindowSide);
    } else if (line == "maximized=true") {
      kept.maximized = true;
    } else if (line == "maximized=false") {
      kept.maximized = false;
    }
  }
  return kept;
}

int saveWindowSize(const std::string& folder, const KeptWindowSize& kept, FileSystem& fs) {
  std::string text = "[Window]\n";
  if (kept.hasSize())
    text += "clientSize=@Size(" + std::to_string(kept.width) + " " + std::to_string(kept.height) + ")\n";
  text += kept.maximized ? "maximized=true\n" : "maximized=false\n";
  return writeFileAtomically(fs, configFilePath(folder, WindowSizeFileName), std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace vode
