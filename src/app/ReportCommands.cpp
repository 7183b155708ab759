#include "app/ReportCommands.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include "dialogs/ReportForm.h"
#include "document/Document.h"
#include "formats/FileErrors.h"
#include "formats/FileSystem.h"
#include "reports/ReportWriter.h"
#include "viewer/MainForm.h"

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
  for (const auto& entry : entries) {
    const ReportKind kind = entry.kind;
    form_.connectCommand(entry.name, [this, kind] { OpenReportFromMenu(kind); }, this);
    form_.makeCommandAvailable(entry.name);
  }
  // The developer's File entry is the panel's Report button from the menu.
  form_.connectCommand("Report1", [this] { ReportButtonClick(false); }, this);
  form_.makeCommandAvailable("Report1");

  if (auto* report = qobject_cast<QPushButton*>(form_.control("ReportButton"))) {
    report->setEnabled(true);
    connect(report, &QPushButton::clicked, this, [this] {
      if (!form_.busy()) ReportButtonClick(false);
    });
  }
  // Log stays off until a report has been accepted and written.
  if (auto* log = qobject_cast<QPushButton*>(form_.control("LogButton"))) {
    log->setEnabled(false);
    connect(log, &QPushButton::clicked, this, [this] {
      if (!form_.busy()) ReportButtonClick(true);
    });
  }
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
  const int code = WriteReport(dialog_->fileName(), kind, dialog_->logging(), dialog_->channel(), dialog_->watts(),
                               reportUsesPowerUnits(kind));
  if (code == 0)
    if (QWidget* log = form_.control("LogButton")) log->setEnabled(true);
}

void ReportCommands::ReportButtonClick(bool log) {
  const auto* type = qobject_cast<QComboBox*>(form_.control("SpinType"));
  const ReportKind kind = chartReportKind(type ? type->currentIndex() : 0);
  if (!log) {
    OpenReportFromMenu(kind);
    return;
  }
  // One channel for the whole block: the one chosen in the dialog names the
  // header as it fills the body. The units line follows the kind, so the
  // block reads as the dialog would have written it for this kind.
  WriteReport(dialog_->typedFileName(), kind, true, dialog_->channel(), dialog_->watts(), reportUsesPowerUnits(kind));
}

int ReportCommands::WriteReport(const std::string& path, ReportKind kind, bool append, int channel, bool watts,
                                bool unitsEnabled) {
  Document& doc = form_.document();
  ReportOptions options;
  options.channel = channel;
  options.watts = watts;
  options.unitsEnabled = unitsEnabled;
  options.decimalSeparator = desktopDecimalSeparator();
  options.maxFrequency = form_.display().MaxFrequency;
  int code = 0;
  // A long table on a full recording takes a moment; the window waits for it
  // as it does for a save.
  form_.runInBackground([&](ProgressSink&, Prompter& prompter) {
    code = vode::WriteReport(doc, doc, path, kind, append, options, counter_, prompter, *fileSystem);
  });
  if (code < 0)
    form_.prompter().message(MessageKind::Warning, ReportErrorText(code));
  else if (code > 0)
    form_.prompter().message(MessageKind::Warning, "Unable to save " + path + "... " + FileErrorText(code));
  if (auto* label = qobject_cast<QLabel*>(form_.control("LogCount"))) label->setText(QString::fromStdString(counter_.label));
  return code;
}

}  // namespace vode
