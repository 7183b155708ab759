// The default settings file (MERO.SET) in the configuration folder, and the
// rule every settings dialog and sample-changing command applies afterwards.
// The folder is a parameter: the program passes defaultConfigFolder(), tests
// pass a temporary one.
#pragma once

#include <string>

#include "formats/FileSystem.h"

namespace vode {

struct RecordingBundle;
class Prompter;
class ProgressSink;

constexpr const char* SettingsFileName = "MERO.SET";
// Settings are four small records, a few kilobytes; a larger MERO.SET is
// refused unread.
constexpr std::size_t MaxSettingsFileBytes = std::size_t{1} << 20;

// $XDG_CONFIG_HOME/rezu-vode/ (an absolute XDG_CONFIG_HOME only), else
// ~/.config/rezu-vode/; created when missing (created, when given, tells
// whether it was); always ends in '/'.
std::string defaultConfigFolder(bool* created = nullptr);

// folder + name, with a '/' between them when folder lacks one.
std::string configFilePath(const std::string& folder, const std::string& name);

// Writes the laboratory, preferences, channel set-up and analysis parameters
// to folder/MERO.SET. Does nothing (0) while a recording is open: the
// settings then travel inside the recording file. Sets ioError and warns
// "Unable to save ..." on failure.
int saveSettings(RecordingBundle& doc, const std::string& folder, Prompter& prompter, ProgressSink& progress,
                 FileSystem& fs = FileSystem::real());

// Resets the document and reads folder/MERO.SET. On failure the document is
// reset again and "Unable to load default settings" is shown. ioError keeps
// the value it had before. Returns the load's code.
int loadDefaultSettings(RecordingBundle& doc, const std::string& folder, Prompter& prompter, ProgressSink& progress,
                        FileSystem& fs = FileSystem::real());

// With a recording open the document becomes modified; without one the
// settings file is rewritten at once.
void settingsChanged(RecordingBundle& doc, const std::string& folder, Prompter& prompter, ProgressSink& progress,
                     FileSystem& fs = FileSystem::real());

}  // namespace vode
