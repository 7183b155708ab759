#include "app/ReportCommands.h"

#include <QDialog>
#include <QLocale>

#include "dialogs/ReportForm.h"
#include "document/Document.h"
#include "formats/FileErrors.h"
#include "formats/FileSystem.h"
#include "reports/ReportWriter.h"
#include "viewer/MainForm.h"
#include "viewer/PowerPanel.h"

namespace vode {

ReportKind chartReportKind(int spinTypeIndex) {
  switch (spinTypeIndex) {
    case 1: return ReportKind::Summary;
    case 2: return ReportKind::BandPower;
    case 3:
    case 4: return ReportKind::FlowPower;
    default: return ReportKind::AllSegments;
  }
}

char desktopDecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  // Report files are single-byte text; a separator that is not one ASCII
  // character could not be written as the writers place it.
  return point.size() == 1 && point[0].unicode() > ' ' && point[0].unicode() < 127 ? point[0].toLatin1() : '.';
}

ReportCommands::ReportCommands(TMainForm& form)
    : QObject(&form), fileSystem(&FileSystem::real()), form_(form), dialog_(new RReportForm(form.prompter(), &form)) {
  runDialog = [](QDialog& dialog) { return dialog.exec(); };
  const struct {
    const char* name;
    ReportKind kind;
  } entries[] = {{"AllSegments1", ReportKind::AllSegments},   {"AllTagged1", ReportKind::AllTagged},
                 {"BreathAverages1", ReportKind::BreathAverages}, {"OverallAverages1", ReportKind::OverallAverages},
                 {"OctaveBands1", ReportKind::OctaveBands},   {"BandPower1", ReportKind::BandPower},
                 {"FlowPower1", ReportKind::FlowPower},       {"Summary1", ReportKind::Summary}};
  CommandTable& table = form_.workspace().commands();
  for (const auto& entry : entries) {
    const ReportKind kind = entry.kind;
    table.bind(entry.name, [this, kind] { OpenReportFromMenu(kind); });
  }
  // The developer's File entry is the panel's Report button from the menu.
  table.bind("Report1", [this] { ReportButtonClick(false); });
  // Log stays off until a report has been accepted and written.
  form_.powerPanel().connectReports([this](bool log) {
    if (!form_.busy()) ReportButtonClick(log);
  });
}

void ReportCommands::OpenReportFromMenu(ReportKind kind) {
  Document& doc = form_.document();
  const int refused = CheckReportData(doc, doc, 0);
  if (refused == ReportNoData || refused == ReportNoAnalysis) {
    form_.prompter().message(MessageKind::Warning, ReportErrorText(refused));
    return;
  }
  dialog_->prepare(kind, doc, form_.display().CurrentChannel);
  if (runDialog(*dialog_) != QDialog::Accepted) return;
  WriteReport(dialog_->fileName(), kind, dialog_->logging(), dialog_->channel(), dialog_->watts(),
              reportUsesPowerUnits(kind), [this](int code) {
                if (code == 0) form_.powerPanel().setLogEnabled(true);
              });
}

void ReportCommands::ReportButtonClick(bool log) {
  const ReportKind kind = chartReportKind(static_cast<int>(form_.powerPanel().chartType()));
  if (!log) {
    OpenReportFromMenu(kind);
    return;
  }
  // One channel for the whole block: the one chosen in the dialog names the
  // header as it fills the body. The units line follows the kind, so the
  // block reads as the dialog would have written it for this kind.
  WriteReport(dialog_->typedFileName(), kind, true, dialog_->channel(), dialog_->watts(), reportUsesPowerUnits(kind));
}

void ReportCommands::WriteReport(const std::string& path, ReportKind kind, bool append, int channel, bool watts,
                                 bool unitsEnabled, std::function<void(int)> then) {
  ReportOptions options;
  options.channel = channel;
  options.watts = watts;
  options.unitsEnabled = unitsEnabled;
  options.decimalSeparator = desktopDecimalSeparator();
  options.maxFrequency = form_.display().MaxFrequency;
  struct Written {
    int code = 0;
    LogCounter counter;
  };
  // A long table on a full recording takes a moment: a job that only reads
  // the document, with a count of its own that is kept when it ends.
  const Document& doc = form_.document();
  FileSystem* fs = fileSystem;
  form_.workspace().start<Written>(
      [&doc, path, kind, append, options, counter = counter_, fs](ProgressSink&, Prompter& prompter) mutable {
        Written written{0, counter};
        written.code = vode::WriteReport(doc, doc, path, kind, append, options, written.counter, prompter, *fs);
        return written;
      },
      [this, path, then = std::move(then)](Written written) {
        counter_ = written.counter;
        if (written.code < 0)
          form_.prompter().message(MessageKind::Warning, ReportErrorText(written.code));
        else if (written.code > 0)
          form_.prompter().message(MessageKind::Warning, "Unable to save " + path + "... " + FileErrorText(written.code));
        form_.powerPanel().setLogCount(QString::fromStdString(counter_.label));
        if (then) then(written.code);
      });
}

}  // namespace vode
