// The wheeze images: each channel's sonogram with the wheeze points marked,
// and the Wheeze flags of the segments that hold them.
#pragma once

namespace vode {

struct AnalysisResults;
struct RecordingBundle;
class ProgressSink;
struct PreferencesRecord;

// Rebuilds every channel's wheeze image from the stored scores for the
// sonogram frequency range maxFrequency (1200, 2400 or 4800 Hz) and adds the
// Wheeze flag to each segment that holds a mark (flags are never cleared).
// Call it after every rebuild of the sonogram images. 0, or 3 without scores.
int CalculateWheezeImage(RecordingBundle& doc, AnalysisResults& results, int maxFrequency, ProgressSink& progress);

// The same for the frequency range of the preferences.
int CalculateWheezeImage(RecordingBundle& doc, AnalysisResults& results, ProgressSink& progress);

// Bins per image row for a sonogram frequency range: 1, 2 or 4.
int binsPerImageRow(int maxFrequency);

// The sonogram frequency range of the preferences: 1200, 2400 or 4800 Hz.
int sonogramFrequency(const PreferencesRecord& preferences);

}  // namespace vode
