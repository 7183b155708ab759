// The header every report starts with after its title line.
#include "model/DateText.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "reports/ReportBodies.h"

namespace vode {

void writeReportHeader(ReportBuilder& out, const RecordingBundle& doc, const AnalysisResults& results) {
  const SubjectRecord& subject = doc.subject;
  out.line("Generated from file " + doc.state.currentFileName);
  out.line("Last name:  " + subject.lastName.str());
  out.line("First name: " + subject.firstName.str());
  out.line("Patient ID: " + subject.id.str());
  out.line("Birth date: " + formatDate(subject.birthDate) + " (d/m/y)");
  out.line("Weight:     " + out.fixed(subject.weight, 1) + " kg");
  out.line("");

  const int c = out.channel();
  out.line("Report for channel " + std::to_string(c + 1) + ": " + doc.channelSetup.channelNames[c].str());
  if (doc.isResp()) {
    out.line("Respiband in use");
  } else {
    const PhaseTable& p = *results.phaseTable;
    out.line("Pneumotach in use");
    out.line("Target inspiration: " + out.fixed(p.inspLow, 3) + " to " + out.fixed(p.inspHigh, 3) + " L/s");
    out.line("Target expiration: " + out.fixed(p.expLow, 3) + " to " + out.fixed(p.expHigh, 3) + " L/s");
    out.line("Target background: " + out.fixed(-p.backgroundFlow, 3) + " to " + out.fixed(p.backgroundFlow, 3) +
             " L/s");
    // The accumulator sums segment values of 0.1 s, so a tenth of it is litres.
    // The quotient is only printed, never stored: dividing in float would round
    // it once more and could move the third decimal (0.175f / 10 -> 0.018).
    out.line("Minimum phase volume: " + out.fixed(static_cast<double>(p.minPhaseSum) / 10.0, 3) + " L");
  }
  if (out.options().unitsEnabled) {
    if (out.options().watts)
      out.line("Power in watts");
    else
      out.line("Power in dB, reference " + out.exp(doc.preferences.dBReference));
  }
}

void writeBandLines(ReportBuilder& out, const AnalysisResults& results) {
  const PanelSettings& panel = results.panel;
  out.line("Frequency band: " + std::to_string(panel.spinMin) + " to " + std::to_string(panel.spinMax) + " Hz");
  out.line("Background reference: " + out.exp(results.spectra->backgroundReference[out.channel()]) + " watts");
}

}  // namespace vode
