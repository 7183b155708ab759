// The tonal wheeze detector as a command on an open document, beside the
// standard detector's DetectWheezes: the same checks, map, images, flags and
// closing message, so the window and vode-cli show either the same way.
#pragma once

#include "analysis/TonalWheeze.h"

namespace vode {

struct AnalysisResults;
struct RecordingBundle;
class ProgressSink;
class Prompter;

// Which detector a command runs.
enum class WheezeDetector { Standard, Tonal };

// "No data" / "No PSD" (3) without a recording or its analysis. Otherwise
// releases the previous WheezeMap, builds a new one from the tonal tracks
// (scores: prominence in dB at each track point), adds the Wheeze flags,
// paints the wheeze images and says "Wheeze analysis completed" (0).
int DetectTonalWheezes(RecordingBundle& doc, AnalysisResults& results, ProgressSink& progress, Prompter& prompter,
                       int threads = 0, const TonalParameters& parameters = {});

// The chosen detector; the standard one ignores the parameters.
int RunWheezeDetector(WheezeDetector detector, RecordingBundle& doc, AnalysisResults& results,
                      ProgressSink& progress, Prompter& prompter, int threads = 0,
                      const TonalParameters& parameters = {});

}  // namespace vode
