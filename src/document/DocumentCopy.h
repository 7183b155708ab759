// Copies of a document for work done elsewhere: a job on a worker thread
// changes its own copy while the window goes on showing the original, and
// the copy replaces the original only when the job has finished.
#pragma once

#include <memory>

#include "document/Document.h"

namespace vode {

// The records, settings, file state, panel settings and phase table of doc,
// without the recording, its tags or any result: what a reader fills (an
// open starts from the settings of the document it replaces).
std::unique_ptr<Document> copySettings(const Document& doc);

// Everything: the records and settings, the recording and its tags, and
// every analysis result.
std::unique_ptr<Document> copyDocument(const Document& doc);

}  // namespace vode
