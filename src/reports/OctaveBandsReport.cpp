// Kind 3: the mean power of six octave bands, 75-150 Hz up to 2400-4800 Hz,
// for every segment.
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "reports/ReportBodies.h"

namespace vode {

void writeOctaveBandsBody(ReportBuilder& out, const RecordingBundle& doc, const AnalysisResults& results) {
  const int c = out.channel();
  const PhaseTable& phases = *results.phaseTable;
  const SegmentSpectra& spectra = *results.spectra;
  const bool resp = doc.isResp();
  out.line("");

  out.append(resp ? "Segment,Tag,Resp (V)" : "Segment,Tag,Flow (L/s),Volume (l)");
  for (int k = 0; k < 6; ++k) out.field(std::to_string(75 << k) + "-" + std::to_string(150 << k) + " Hz");
  out.endLine();

  const int segments = reportSegmentCount(doc, results);
  for (int s = 0; s < segments; ++s) {
    out.append(std::to_string(s));
    out.field(doc.tagTable->StatusCode(c, s));
    out.field(out.fixed(phases.segmentFlowAt(s), 3));
    if (!resp) out.field(out.fixed(runningVolumeAt(phases, s), 3));
    // Octave k covers bins 15·2^k to 30·2^k - 1 (75 Hz up to just below 150 Hz for k = 0).
    for (int k = 0; k < 6; ++k) out.field(out.power(spectra.BandMean(c, s, (30 << k) - 1, 15 << k)));
    out.endLine();
  }
}

}  // namespace vode
