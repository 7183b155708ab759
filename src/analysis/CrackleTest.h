// The crackle test command: rewrites the second sound channel from the first.
#pragma once

namespace vode {

struct RecordingBundle;
class Prompter;

// "No data" without a recording, "Data has only one channel" below two
// channels (result 3); otherwise channel 2 becomes a copy of channel 1 and
// "ST data created" is shown (result 0). Only the samples in memory change:
// the document is not marked modified and nothing is recomputed.
int TestCrackle(RecordingBundle& doc, Prompter& prompter);

}  // namespace vode
