// File/"Import Labels...", "Export Labels..." and "Export Table...": breath
// phases into and out of the open recording as a label track (start, end and
// label per line, as audio editors write them), and the recording's segment
// table for data-frame libraries. A file written here is the one vode-cli
// labels export and vode-cli table write for the same recording.
#pragma once

#include <QObject>
#include <string>

#include "formats/FileSystem.h"
#include "workspace/GuiPrompter.h"

namespace vode {

class TMainForm;

class LabelCommands : public QObject {
  Q_OBJECT

 public:
  explicit LabelCommands(TMainForm& form);

  // Where the label track and the table are written; tests make writes fail.
  FileSystem* fileSystem = &FileSystem::real();

  void ImportLabelsClick();
  void ExportLabelsClick();
  // The octave bands of the octave report and the sonogram's range, as
  // vode-cli table writes by default.
  void ExportTableClick();

 private:
  // The save dialog (titled title) proposing the recording's name; a name
  // without an extension gets extension. Empty when cancelled or when an
  // existing file is not to be replaced.
  std::string chooseTarget(const FileType& type, const std::string& title, const std::string& extension);
  // "Unable to save ..." for a failed write.
  void tellFailure(const std::string& path, int code);

  TMainForm& form_;
};

}  // namespace vode
