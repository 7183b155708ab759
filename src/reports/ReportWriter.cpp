#include "reports/ReportWriter.h"

#include <algorithm>

#include "formats/FileErrors.h"
#include "analysis/AnalysisResults.h"
#include "analysis/Averages.h"
#include "model/RecordingBundle.h"
#include "reports/ReportBodies.h"

namespace vode {

std::string ReportErrorText(int code) {
  switch (code) {
    case ReportNoData: return "No Data";
    case ReportNoAnalysis: return "No Analysis";
    case ReportBadChannel: return "Invalid channel";
    default: return FileErrorText(code);
  }
}

int CheckReportData(const RecordingBundle& doc, const AnalysisResults& results, int channel) {
  if (!doc.hasRecording()) return ReportNoData;
  if (!doc.tagTable || doc.tagTable->empty() || !results.phaseTable) return ReportNoAnalysis;
  if (!results.spectra || !results.spectra->hasPower() || !results.averages) return ReportNoAnalysis;
  if (channel < 0 || channel >= doc.recording->channelCount || !results.spectra->hasPower(channel) ||
      !results.averages->contains(channel))
    return ReportBadChannel;
  return 0;
}

int ReportText(const RecordingBundle& doc, const AnalysisResults& results, ReportKind kind,
               const ReportOptions& options, Prompter& prompter, std::string& text) {
  text.clear();
  if (const int refused = CheckReportData(doc, results, options.channel)) return refused;
  ReportBuilder out(options, doc.preferences.dBReference);
  out.line(reportTitle(kind));
  writeReportHeader(out, doc, results);
  switch (kind) {
    case ReportKind::OverallAverages: writeOverallAveragesBody(out, results); break;
    case ReportKind::AllTagged:
    case ReportKind::AllSegments:
    case ReportKind::BandPower: writeSegmentTableBody(out, doc, results, kind); break;
    case ReportKind::BreathAverages: writeBreathAveragesBody(out, results); break;
    case ReportKind::OctaveBands: writeOctaveBandsBody(out, doc, results); break;
    case ReportKind::FlowPower:
      writeFlowPowerBody(out, results, CalculateFlowBins(doc, results, options.channel, results.panel.spinFlow));
      break;
    case ReportKind::Summary: writeSummaryBody(out, results, prompter); break;
  }
  text = out.take();
  return 0;
}

namespace {

int saveReport(FileSystem& fs, const std::string& path, const std::string& text, LogCounter& counter) {
  const int code =
      writeFileAtomically(fs, path, [&](OutputFile& file) { return file.write(text.data(), text.size()); });
  if (code != 0) return code;
  counter.count = 0;
  counter.label = "000";
  return 0;
}

int logReport(FileSystem& fs, const std::string& path, const std::string& text, LogCounter& counter) {
  int number = 0;
  const int code = appendFileAtomically(fs, path, [&](const std::vector<uint8_t>* old, std::string& added) {
    if (!old) {
      // A log file that disappeared is an error, not a new file; a process
      // of its own starts the log it numbers as a save would.
      if (!counter.numberFromFile) return 2;
      added = text;
      return 0;
    }
    // Read while no other appender can change the file: a log written by
    // another run (or by vode-cli) is numbered on from, never numbered again.
    const std::string_view logged(reinterpret_cast<const char*>(old->data()), old->size());
    number = std::max(counter.count, highestLogNumber(logged)) + 1;
    // The first break ends a last line left open (the band-power report's).
    added = "\r\n\r\n" + logLine(number) + "\r\n" + text;
    return 0;
  });
  // A failed or interrupted log leaves the file and the numbering as they were.
  if (code != 0) return code;
  counter.count = number;
  counter.label = logLabel(number);
  return 0;
}

}  // namespace

int WriteReport(const RecordingBundle& doc, const AnalysisResults& results, const std::string& path, ReportKind kind,
                bool append, const ReportOptions& options, LogCounter& counter, Prompter& prompter, FileSystem& fs) {
  std::string text;
  if (const int refused = ReportText(doc, results, kind, options, prompter, text)) return refused;
  return append ? logReport(fs, path, text, counter) : saveReport(fs, path, text, counter);
}

}  // namespace vode
