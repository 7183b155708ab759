#include "document/OpenDocument.h"

#include "document/Document.h"
#include "formats/AnyRecording.h"
#include "formats/FileErrors.h"
#include "model/Prompter.h"

namespace vode {

int openPath(Document& doc, const std::string& path, Prompter& prompter, ProgressSink& progress, FileSystem& fs,
             ImportedFrom* from, FailedOpen failed) {
  const bool keep = failed == FailedOpen::KeepDocument;
  if (keep && !readsBeforeReplacing(path, fs)) {
    Document scratch;
    scratch.state = doc.state;
    scratch.preferences = doc.preferences;
    scratch.analysisParameters = doc.analysisParameters;
    const int code = openPath(scratch, path, prompter, progress, fs, from);
    if (code == 0) {
      // The results of the old recording go; the program's phase table and
      // panel settings stay.
      doc.reset();
      static_cast<RecordingBundle&>(doc) = std::move(static_cast<RecordingBundle&>(scratch));
    }
    return code;
  }

  doc.state.ioError = 0;
  const PreferencesRecord kept = doc.preferences;
  const int code = readAnyRecording(doc, path, prompter, progress, fs, from);
  // These three belong to the program, not to the file.
  doc.preferences.flowDisplay = kept.flowDisplay;
  doc.preferences.analyseOnOpen = kept.analyseOnOpen;
  doc.preferences.dBReference = kept.dBReference;
  if (code != 0) {
    prompter.message(MessageKind::Warning, openFailureText(path, code));
    // The WAV reader and the resample import refuse before they touch anything.
    if (keep) return code;
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
