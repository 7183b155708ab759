// The open document: the recording bundle (recording, tags, fixed records,
// comments, file state) and the analysis results computed from it. The
// program and vode-cli each hold their own; tests make as many as they like.
// Readers and writers take the bundle part, analysis stages and reports the
// bundle and the results, so the layers below never see a Document.
#pragma once

#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"

namespace vode {

class Document : public RecordingBundle, public AnalysisResults {
 public:
  // The state at program start: every record at its defaults.
  Document();

  // Releases the recording, the tags and every analysis result and restores
  // the records' defaults (analysis parameters keep theirs).
  void reset() override;
};

}  // namespace vode
