// The segment table for data-frame libraries: one row per file, channel and
// segment, one column per quantity, a header line and nothing else, the
// decimal point always "." whatever the locale, so pandas read_csv and R
// read.csv take it with no options.
#pragma once

#include <string>
#include <vector>

#include "formats/FileSystem.h"

namespace vode {

struct AnalysisResults;
struct RecordingBundle;

// A band of the power_dB_LO_HI columns, Hz.
struct TableBand {
  int low = 0;
  int high = 0;
};

// The octave bands of the octave-band report: 75-150 Hz up to 2400-4800 Hz.
std::vector<TableBand> octaveTableBands();

// file,channel,channel_name,segment,time_s,phase,rejected,clipped,wheeze,
// crackle,flow_L_s,volume_L, power_dB_LO_HI per band, peak_hz; then "\n".
std::string tidyTableHeader(const std::vector<TableBand>& bands);

// The rows of one analysed recording, channel after channel, segment after
// segment: channel 1-based; time_s the segment's start (%.1f); phase I, E, B
// or empty; the Rejected, Clipped, Wheeze and crackle ("Cr") flags as 0/1;
// the segment flow and running volume of the tagging (%.3f; no volume for a
// respiration band); each band's dB against the background as the band-power
// report computes it (%.2f); the frequency of the strongest bin from 100 Hz
// up to maxFrequency (empty for a silent segment). fileName and the channel
// names go out as UTF-8 CSV fields. Nothing is appended without spectra and
// tags.
void appendTidyTableRows(std::string& out, const std::string& fileName, const RecordingBundle& doc,
                         const AnalysisResults& results, const std::vector<TableBand>& bands, int maxFrequency);

// Header and rows of one recording written to path through
// writeFileAtomically. 0 or the code.
int writeTidyTable(const std::string& path, const std::string& fileName, const RecordingBundle& doc,
                   const AnalysisResults& results, const std::vector<TableBand>& bands, int maxFrequency,
                   FileSystem& fs = FileSystem::real());

}  // namespace vode
