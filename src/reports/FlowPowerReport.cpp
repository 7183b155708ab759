// Kind 6: band power averaged over flow bins, always in dB.
#include "analysis/Averages.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "reports/ReportBodies.h"

namespace vode {

void writeFlowPowerBody(ReportBuilder& out, RecordingBundle& doc, AnalysisResults& results) {
  const int c = out.channel();
  writeBandLines(out, results);
  out.line("Flow bin size: " + std::to_string(results.panel.spinFlow) + " mL/s");
  out.line("");
  out.line("L/s,dB,2SD,Count");

  CalculateFlowBins(doc, results, c, results.panel.spinFlow);
  const SegmentSpectra& spectra = *results.spectra;
  for (int k = 0; k < spectra.flowBinCount; ++k) {
    out.append(out.fixed(spectra.binFlow[k], 3));
    out.field(out.fixed(spectra.binMean[k], 3));
    out.field(out.fixed(spectra.binSpread[k], 3));
    out.field(std::to_string(spectra.binCount[k]));
    out.endLine();
  }
}

}  // namespace vode
