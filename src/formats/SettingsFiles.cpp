#include "formats/SettingsFiles.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "formats/BlockFile.h"
#include "model/RecordingBundle.h"
#include "model/Prompter.h"

namespace vode {

namespace {

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir) return pw->pw_dir;
  return {};
}

}  // namespace

std::string defaultConfigFolder(bool* created) {
  std::string base;
  // Relative values are to be ignored (XDG base directory rules).
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
    base = xdg;
  } else if (const std::string home = homeFolder(); !home.empty()) {
    base = home + "/.config";
  } else {
    std::error_code ec;
    base = std::filesystem::current_path(ec).string();
  }
  const std::string folder = configFilePath(base, "rezu-vode/");
  std::error_code ec;
  const bool made = std::filesystem::create_directories(folder, ec);
  if (created) *created = made && !ec;
  return folder;
}

std::string configFilePath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

int saveSettings(RecordingBundle& doc, const std::string& folder, Prompter& prompter, ProgressSink& progress,
                 FileSystem& fs) {
  if (doc.hasRecording()) return 0;
  return saveSettingsFile(doc, configFilePath(folder, SettingsFileName), prompter, progress, fs);
}

int loadDefaultSettings(RecordingBundle& doc, const std::string& folder, Prompter& prompter, ProgressSink& progress,
                        FileSystem& fs) {
  const int kept = doc.state.ioError;
  const int code =
      loadBlockFile(doc, configFilePath(folder, SettingsFileName), prompter, progress, fs, MaxSettingsFileBytes);
  if (code != 0) {
    doc.reset();
    prompter.message(MessageKind::Warning, "Unable to load default settings");
  }
  doc.state.ioError = kept;
  return code;
}

void settingsChanged(RecordingBundle& doc, const std::string& folder, Prompter& prompter, ProgressSink& progress,
                     FileSystem& fs) {
  if (doc.hasRecording())
    doc.state.modified = true;
  else
    saveSettings(doc, folder, prompter, progress, fs);
}

}  // namespace vode
