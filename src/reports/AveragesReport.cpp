// Kinds 0 and 2: average spectra, one row per bin.
#include <vector>

#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "reports/ReportBodies.h"

namespace vode {

void writeOverallAveragesBody(ReportBuilder& out, const AnalysisResults& results) {
  const int c = out.channel();
  const OverallAverages& avg = *results.averages;
  out.line("");
  out.line("Freq,Bgd,Ins,Exp");
  out.line("Tagged," + std::to_string(avg.backgroundCountOf(c)) + "," + std::to_string(avg.inspCountOf(c)) + "," +
           std::to_string(avg.expCountOf(c)));
  const float* background = avg.backgroundAverage(c);
  const float* insp = avg.inspAverage(c);
  const float* exp = avg.expAverage(c);
  const int rows = out.spectralRows();
  for (int b = 0; b < rows; ++b) {
    out.append(std::to_string(BinWidth * b));
    out.field(out.power(background[b]));
    out.field(out.power(insp[b]));
    out.field(out.power(exp[b]));
    out.endLine();
  }
}

namespace {

// The phase's average for the channel and bin; 0 W when the spectrum is
// missing (its allocation failed) rather than reading past it.
float phaseAverage(const PhaseEntry& e, int stride, int c, int b) {
  const size_t i = static_cast<size_t>(c) * stride + b;
  return b < stride && i < e.averageSpectrum.size() ? e.averageSpectrum[i] : 0.0f;
}

}  // namespace

void writeBreathAveragesBody(ReportBuilder& out, const AnalysisResults& results) {
  const int c = out.channel();
  const PhaseTable& phases = *results.phaseTable;
  const OverallAverages& avg = *results.averages;
  out.line("");

  // Every phase with clean segments, in table order, however many there are.
  std::vector<const PhaseEntry*> selected;
  for (int k = 0; k <= phases.lastPhase && k < MaxPhases; ++k)
    if (phases.entries[k].cleanCount > 0) selected.push_back(&phases.entries[k]);

  out.append("Phase,Bgd");
  for (const PhaseEntry* e : selected) out.field(phases.PhaseLabel(e->firstSegment));
  out.endLine();

  out.append("Tagged,");
  out.append(std::to_string(avg.backgroundCountOf(c)));
  for (const PhaseEntry* e : selected) out.field(std::to_string(e->cleanCount));
  out.endLine();

  const float* background = avg.backgroundAverage(c);
  const int stride = phases.spectraBins;
  const int rows = out.spectralRows();
  for (int b = 0; b < rows; ++b) {
    out.append(std::to_string(BinWidth * b));
    out.field(out.power(background[b]));
    for (const PhaseEntry* e : selected) out.field(out.power(phaseAverage(*e, stride, c, b)));
    out.endLine();
  }
}

}  // namespace vode
