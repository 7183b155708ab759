#include "analysis/AnalysisResults.h"

namespace vode {

void AnalysisResults::releaseResults() {
  spectra.reset();
  averages.reset();
  wheezeMap.reset();
  if (phaseTable) {
    for (PhaseEntry& e : phaseTable->entries) {
      e.averageSpectrum.clear();
      e.averageSpectrum.shrink_to_fit();
    }
  }
}

PhaseTable& AnalysisResults::phases() {
  if (!phaseTable) phaseTable = std::make_unique<PhaseTable>();
  return *phaseTable;
}

}  // namespace vode
