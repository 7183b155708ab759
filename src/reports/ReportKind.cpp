#include "reports/ReportKind.h"

namespace vode {

namespace {

const char* const titles[ReportKindCount] = {
    "Overall Averages Report", "All Tagged Report", "Breath Averages Report", "Octave Bands Report",
    "All Segments Report",     "Band Power Report", "Flow Power Report",      "Summary Report",
};

const char* const shortNames[ReportKindCount] = {
    "overall", "tagged", "breath", "octave", "all", "band", "flow", "summary",
};

}  // namespace

const char* reportTitle(ReportKind kind) {
  const int k = static_cast<int>(kind);
  return k >= 0 && k < ReportKindCount ? titles[k] : "";
}

std::optional<ReportKind> parseReportKind(std::string_view text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + ReportKindCount)
    return static_cast<ReportKind>(text[0] - '0');
  for (int k = 0; k < ReportKindCount; ++k)
    if (text == shortNames[k]) return static_cast<ReportKind>(k);
  return std::nullopt;
}

}  // namespace vode
