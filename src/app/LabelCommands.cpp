#include "app/LabelCommands.h"

#include "formats/FileErrors.h"
#include "formats/FileNames.h"
#include "formats/LabelTrack.h"
#include "reports/TidyTable.h"
#include "viewer/MainForm.h"

namespace vode {

namespace {

const FileType LabelTrackType{"Label Track", "*.txt"};
const FileType TableType{"CSV Table", "*.csv"};

}  // namespace

LabelCommands::LabelCommands(TMainForm& form) : QObject(&form), form_(form) {
  CommandTable& commands = form_.workspace().commands();
  commands.bind("ImportLabels1", [this] { ImportLabelsClick(); });
  commands.bind("ExportLabels1", [this] { ExportLabelsClick(); });
  commands.bind("ExportTable1", [this] { ExportTableClick(); });
}

void LabelCommands::ImportLabelsClick() {
  const std::string path = form_.prompter().chooseOpenFile({LabelTrackType, {"All Files", "*"}}, "Import Labels");
  if (!path.empty()) form_.workspace().importLabels(path);
}

void LabelCommands::ExportLabelsClick() {
  const Document& doc = form_.document();
  if (!doc.tagTable) return;
  const std::string path = chooseTarget(LabelTrackType, "Export Labels", ".txt");
  if (path.empty()) return;
  tellFailure(path, writeLabelTrack(path, *doc.tagTable, *fileSystem));
}

void LabelCommands::ExportTableClick() {
  const Document& doc = form_.document();
  if (!doc.spectra) return;
  const std::string path = chooseTarget(TableType, "Export Table", ".csv");
  if (path.empty()) return;
  tellFailure(path, writeTidyTable(path, doc.state.currentFileName, doc, doc, octaveTableBands(),
                                   form_.display().MaxFrequency, *fileSystem));
}

std::string LabelCommands::chooseTarget(const FileType& type, const std::string& title, const std::string& extension) {
  GuiPrompter& prompter = form_.prompter();
  std::string path = proposedSaveName(form_.document().state.currentFileName);
  int index = 1;
  if (!prompter.chooseSaveFile({type}, path, index, title) || path.empty()) return {};
  const std::size_t slash = path.find_last_of('/');
  if (path.find('.', slash == std::string::npos ? 0 : slash) == std::string::npos) path += extension;
  return mayOverwrite(*fileSystem, prompter, path) ? path : std::string();
}

void LabelCommands::tellFailure(const std::string& path, int code) {
  if (code != 0)
    form_.prompter().message(MessageKind::Warning, "Unable to save " + path + "... " + FileErrorText(code));
}

}  // namespace vode
