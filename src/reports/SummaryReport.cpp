// Kind 7: the breath summary from the flow and from the band power.
#include <string>
#include <vector>

#include "analysis/Averages.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "reports/NumberFormat.h"
#include "reports/ReportBodies.h"

namespace vode {

void writeSummaryBody(ReportBuilder& out, const AnalysisResults& results, Prompter& prompter) {
  writeBandLines(out, results);
  out.line("");
  std::vector<std::string> lines;
  WriteSummary(results, out.channel(), lines, prompter);
  // The summary lines hold '.' only as decimal points (names, "+/-" and the
  // counts carry none), so they take the report's separator like every other
  // number.
  for (const std::string& text : lines) out.line(withSeparator(text, out.options().decimalSeparator));
  out.line("");
}

}  // namespace vode
