// Kind 6: band power averaged over flow bins, always in dB.
#include "analysis/Averages.h"
#include "analysis/AnalysisResults.h"
#include "reports/ReportBodies.h"

namespace vode {

void writeFlowPowerBody(ReportBuilder& out, const AnalysisResults& results, const FlowBinTable& bins) {
  writeBandLines(out, results);
  out.line("Flow bin size: " + std::to_string(results.panel.spinFlow) + " mL/s");
  out.line("");
  out.line("L/s,dB,2SD,Count");

  for (int k = 0; k < bins.size(); ++k) {
    out.append(out.fixed(bins.flow[k], 3));
    out.field(out.fixed(bins.mean[k], 3));
    out.field(out.fixed(bins.spread[k], 3));
    out.field(std::to_string(bins.count[k]));
    out.endLine();
  }
}

}  // namespace vode
