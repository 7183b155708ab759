// Kinds 1, 4 and 5: one column per listed segment, with the flow, volume and
// status rows, then either the spectra (1, 4) or the band power (5).
#include <vector>

#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "reports/ReportBodies.h"

namespace vode {

void writeSegmentTableBody(ReportBuilder& out, const RecordingBundle& doc, const AnalysisResults& results, ReportKind kind) {
  const int c = out.channel();
  const TagTable& tags = *doc.tagTable;
  const PhaseTable& phases = *results.phaseTable;
  const SegmentSpectra& spectra = *results.spectra;

  // Kind 1 lists the segments tagged clean on the report's channel, the
  // others every segment.
  std::vector<int> listed;
  const int segments = reportSegmentCount(doc, results);
  for (int s = 0; s < segments; ++s)
    if (kind != ReportKind::AllTagged || tags.taggedClean(c, s)) listed.push_back(s);

  if (kind == ReportKind::BandPower) writeBandLines(out, results);
  out.line("");

  out.append("Segment");
  for (int s : listed) out.field(std::to_string(s));
  out.endLine();

  out.append(doc.isResp() ? "Resp (V)" : "Flow (L/s)");
  for (int s : listed) out.field(out.fixed(phases.segmentFlowAt(s), 3));
  if (!doc.isResp()) {
    out.endLine();
    out.append("Volume (L)");
    for (int s : listed) out.field(out.fixed(runningVolumeAt(phases, s), 3));
  }
  out.endLine();

  out.append("Status");
  for (int s : listed) out.field(tags.StatusCode(c, s));
  out.endLine();

  if (kind == ReportKind::BandPower) {
    // The band-power report ends without a line break; a following log's
    // first line break ends this row.
    out.append("dB");
    for (int s : listed) out.field(out.fixed(spectra.bandPower[c][s], 3));
    return;
  }
  const int rows = out.spectralRows();
  for (int b = 0; b < rows; ++b) {
    out.append(std::to_string(BinWidth * b));
    for (int s : listed) out.field(out.power(spectra.power(c, s)[b]));
    out.endLine();
  }
}

}  // namespace vode
