#include "document/Document.h"

namespace vode {

Document::Document() { reset(); }

void Document::reset() {
  RecordingBundle::reset();
  // The phase table outlives the recording; it must not point at its tags.
  if (phaseTable) phaseTable->tags = nullptr;
  releaseResults();
}

}  // namespace vode
