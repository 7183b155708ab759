#include "reports/ReportWriter.h"

#include "formats/FileErrors.h"
#include "analysis/AnalysisResults.h"
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

int ReportText(RecordingBundle& doc, AnalysisResults& results, ReportKind kind, const ReportOptions& options, Prompter& prompter, std::string& text) {
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
    case ReportKind::FlowPower: writeFlowPowerBody(out, doc, results); break;
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
  // Appending needs the file: a log file that disappeared is an error, not a
  // new file.
  if (!fs.exists(path)) return 2;
  int code = 0;
  auto file = fs.create(path, true, code);
  if (!file) return code;
  // The first break ends a last line left open (the band-power report's).
  code = file->write("\r\n\r\n", 4);
  if (code == 0) {
    ++counter.count;
    counter.label = logLabel(counter.count);
    const std::string block = logLine(counter.count) + "\r\n" + text;
    code = file->write(block.data(), block.size());
  }
  const int closeCode = file->close();
  return code != 0 ? code : closeCode;
}

}  // namespace

int WriteReport(RecordingBundle& doc, AnalysisResults& results, const std::string& path, ReportKind kind, bool append, const ReportOptions& options,
                LogCounter& counter, Prompter& prompter, FileSystem& fs) {
  std::string text;
  if (const int refused = ReportText(doc, results, kind, options, prompter, text)) return refused;
  return append ? logReport(fs, path, text, counter) : saveReport(fs, path, text, counter);
}

}  // namespace vode
