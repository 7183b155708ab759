// The Report menu, File/"&Report..." and the power panel's Report and Log
// buttons: each report goes through the Research Report dialog (or, for Log,
// straight to the dialog's last file) into the core's report writers. The
// log numbering is one count for the whole run, shared by every file.
#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "reports/LogCounter.h"
#include "reports/ReportKind.h"

class QDialog;

namespace vode {

class FileSystem;
class RReportForm;
class TMainForm;

// The report the power panel's chart type asks for: "normal" all segments,
// "summary" the summary, "flow/dB" band power, the two bin types flow power.
ReportKind chartReportKind(int spinTypeIndex);

// The desktop's decimal separator as the reports write it; '.' when the
// locale's is not a single ASCII character.
char desktopDecimalSeparator();

class ReportCommands : public QObject {
  Q_OBJECT

 public:
  explicit ReportCommands(TMainForm& form);

  // How the dialog is shown; QDialog::exec() unless a test answers it.
  std::function<int(QDialog&)> runDialog;
  // Where reports are written; tests make a step of it fail.
  FileSystem* fileSystem;

  // "No Data" or "No Analysis" without a recording or its analysis;
  // otherwise the dialog for the kind, and on OK the report.
  void OpenReportFromMenu(ReportKind kind);
  // The panel's Report (the dialog) and Log (an appended report, no dialog)
  // for the kind of the chart type.
  void ReportButtonClick(bool log);
  // Writes one report of the channel (header and body) as a job that reads
  // the document, then shows the log count; a refusal or failure is shown
  // and leaves file and count as they were. then(0 or the code) follows.
  void WriteReport(const std::string& path, ReportKind kind, bool append, int channel, bool watts, bool unitsEnabled,
                   std::function<void(int)> then = {});

  RReportForm& dialog() { return *dialog_; }
  const LogCounter& logCounter() const { return counter_; }

 private:
  TMainForm& form_;
  RReportForm* dialog_;
  LogCounter counter_;
};

}  // namespace vode
