#include "document/OpenDocument.h"

#include "document/Document.h"
#include "formats/FileErrors.h"
#include "formats/OpenFile.h"
#include "model/Prompter.h"

namespace vode {

int openPath(Document& doc, const std::string& path, Prompter& prompter, ProgressSink& progress, FileSystem& fs) {
  doc.state.ioError = 0;
  const PreferencesRecord kept = doc.preferences;
  const int code = readByExtension(doc, path, prompter, progress, fs);
  // These three belong to the program, not to the file.
  doc.preferences.flowDisplay = kept.flowDisplay;
  doc.preferences.analyseOnOpen = kept.analyseOnOpen;
  doc.preferences.dBReference = kept.dBReference;
  if (code != 0) {
    prompter.message(MessageKind::Warning, openFailureText(path, code));
    doc.reset();
  } else {
    doc.state.currentFileName = path;
  }
  doc.prepareOpenedRecording();
  doc.preferences.analyseOnOpen = 1;
  doc.state.modified = false;
  doc.state.ioError = code;
  return code;
}

}  // namespace vode
