// What the analysis stages compute from a recording bundle and what the panes
// and reports read back: spectra and sonogram images, the phase table with its
// phase averages, the overall averages and band power, the wheeze map, and the
// power-versus-flow panel's settings that steer the band power.
#pragma once

#include <memory>

#include "analysis/OverallAverages.h"
#include "analysis/PanelSettings.h"
#include "analysis/PhaseTable.h"
#include "analysis/SegmentSpectra.h"
#include "analysis/WheezeMap.h"

namespace vode {

struct AnalysisResults {
  std::unique_ptr<PhaseTable> phaseTable;  // made on first use, kept until exit
  std::unique_ptr<SegmentSpectra> spectra;
  std::unique_ptr<OverallAverages> averages;
  std::unique_ptr<WheezeMap> wheezeMap;

  PanelSettings panel;

  // Spectra, averages, phase averages and wheeze data.
  void releaseResults();

  PhaseTable& phases();
};

}  // namespace vode
