// Kind 6: band power averaged over flow bins, always in dB.
#include "analysis/Averages.h"
#include "model/Document.h"
#include "reports/ReportBodies.h"

namespace vode {

void writeFlowPowerBody(ReportBuilder& out, Document& doc) {
  const int c = out.channel();
  writeBandLines(out, doc);
  out.line("Flow bin size: " + std::to_string(doc.panel.spinFlow) + " mL/s");
  out.line("");
  out.line("L/s,dB,2SD,Count");

  CalculateFlowBins(doc, c, doc.panel.spinFlow);
  const SegmentSpectra& spectra = *doc.spectra;
  for (int k = 0; k < spectra.flowBinCount; ++k) {
    out.append(out.fixed(spectra.binFlow[k], 3));
    out.field(out.fixed(spectra.binMean[k], 3));
    out.field(out.fixed(spectra.binSpread[k], 3));
    out.field(std::to_string(spectra.binCount[k]));
    out.endLine();
  }
}

}  // namespace vode
