// The wheeze command: scores every spectral peak between 100 and 1750 Hz of
// every segment and channel, links the scores across time, then paints the
// wheeze images and flags the wheezing segments.
#pragma once

namespace vode {

struct AnalysisResults;
struct RecordingBundle;
class ProgressSink;
class Prompter;

// "No data" / "No PSD" (result 3) without a recording or spectra. Otherwise
// releases the previous WheezeMap, builds a new one, runs the detection
// ("Calculating Wheeze") and the images ("Calculating Wheeze Image"), and says
// "Wheeze analysis completed" (result 0). Channels are spread over `threads`
// worker threads (0: one per core); the results do not depend on the count.
// Progress and messages are reported from the calling thread only.
int DetectWheezes(RecordingBundle& doc, AnalysisResults& results, ProgressSink& progress, Prompter& prompter, int threads = 0);

}  // namespace vode
