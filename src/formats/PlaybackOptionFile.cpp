#include "formats/PlaybackOptionFile.h"

#include <sstream>
#include <vector>

#include "formats/SettingsFiles.h"

namespace vode {

namespace {

// Two short lines; more is not ours.
constexpr std::size_t MaxBytes = 1024;

}  // namespace

bool loadPlayAfterOpening(const std::string& folder, FileSystem& fs) {
  std::vector<uint8_t> bytes;
  if (readBoundedFile(fs, configFilePath(folder, PlaybackOptionFileName), MaxBytes, bytes) != 0) return true;
  std::istringstream lines(std::string(bytes.begin(), bytes.end()));
  std::string line;
  bool inPlayback = false;
  bool play = true;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') inPlayback = line == "[Playback]";
    if (inPlayback && line == "afterOpening=false") play = false;
    if (inPlayback && line == "afterOpening=true") play = true;
  }
  return play;
}

int savePlayAfterOpening(const std::string& folder, bool play, FileSystem& fs) {
  const std::string text = std::string("[Playback]\nafterOpening=") + (play ? "true" : "false") + "\n";
  return writeFileAtomically(fs, configFilePath(folder, PlaybackOptionFileName),
                             std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace vode
