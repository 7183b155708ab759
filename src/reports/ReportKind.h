// The eight report kinds. The number is also the index of the title line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vode {

enum class ReportKind : int {
  OverallAverages = 0,
  AllTagged = 1,
  BreathAverages = 2,
  OctaveBands = 3,
  AllSegments = 4,
  BandPower = 5,
  FlowPower = 6,
  Summary = 7,
};

constexpr int ReportKindCount = 8;

// The first line of a report of this kind, e.g. "Overall Averages Report".
const char* reportTitle(ReportKind kind);

// Kinds 0 to 4 print spectral powers, so only they take a choice of units.
inline bool reportUsesPowerUnits(ReportKind kind) { return static_cast<int>(kind) <= 4; }

// A kind from its number ("0".."7") or its short name (overall, tagged,
// breath, octave, all, band, flow, summary); nullopt for anything else.
std::optional<ReportKind> parseReportKind(std::string_view text);

}  // namespace vode
