// The menus of the main window, their enabling by document state, the
// recent-file slots and the hints.
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>

#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"

namespace vode {

namespace {

constexpr int RecentSlots = 9;

// Swallows tooltips of one window while its hints are off.
class HintFilter : public QObject {
 public:
  HintFilter(TMainForm* form) : QObject(form), form_(form) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ToolTip && !form_->hintsShown() && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == form_)
      return true;
    return false;
  }

 private:
  TMainForm* form_;
};

}  // namespace

QAction* TMainForm::addAction(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  actions_.insert(name, action);
  return action;
}

QAction* TMainForm::action(const QString& name) const { return actions_.value(name, nullptr); }

void TMainForm::createMenus() {
  QMenuBar* bar = menuBar();

  fileMenu_ = bar->addMenu("&File");
  fileMenu_->setObjectName("FileMenu");
  addAction(fileMenu_, "New1", "&New");
  addAction(fileMenu_, "Open1", "&Open...");
  addAction(fileMenu_, "Save1", "&Save");
  addAction(fileMenu_, "SaveAs1", "Save &As...");
  addAction(fileMenu_, "Extract1", "E&xtract...");
  addAction(fileMenu_, "Close1", "&Close");
  fileMenu_->addSeparator();
  addAction(fileMenu_, "Print1", "&Print...");
  addAction(fileMenu_, "Report1", "&Report...");
  addAction(fileMenu_, "ZUZU1", "ZUZU");
  recentSeparator_ = fileMenu_->addSeparator();
  recentSeparator_->setObjectName("RecentSeparator");
  for (int i = 1; i <= RecentSlots; ++i) {
    QAction* slot = addAction(fileMenu_, QString("Recent%1").arg(i), QString("&%1").arg(i));
    slot->setVisible(false);
    recentSlots_.push_back(slot);
  }
  recentSeparator_->setVisible(false);
  fileMenu_->addSeparator();
  addAction(fileMenu_, "Exit1", "E&xit");

  QMenu* edit = bar->addMenu("&Edit");
  edit->setObjectName("EditMenu");
  addAction(edit, "Subject1", "&Subject");
  addAction(edit, "Comments1", "&Comments");
  addAction(edit, "Laboratory1", "&Laboratory");
  addAction(edit, "Preferences1", "&Preferences");
  addAction(edit, "AnalysisParameters1", "&Analysis Parameters...");
  edit->addSeparator();
  addAction(edit, "Include1", "Include", QKeySequence(Qt::Key_Insert));
  addAction(edit, "Clear1", "Clear", QKeySequence(Qt::Key_Delete));
  addAction(edit, "Background1", "Background", QKeySequence(Qt::SHIFT | Qt::Key_Insert));
  addAction(edit, "Exclude1", "Exclude", QKeySequence(Qt::CTRL | Qt::Key_Insert));
  addAction(edit, "MarkInspiration1", "Mark &Inspiration", QKeySequence(Qt::CTRL | Qt::Key_I));
  addAction(edit, "MarkExpiration1", "Mark &Expiration", QKeySequence(Qt::CTRL | Qt::Key_E));
  edit->addSeparator();
  addAction(edit, "CopyPowertoFlow1", "Copy Power to Flow");
  addAction(edit, "DeleteChannel1", "Delete Channel");
  addAction(edit, "NormalizeChannels1", "Normalize Channels");
  addAction(edit, "CaptureScreen1", "Capture Screen");
  addAction(edit, "Capture1", "Captur&e BMP/WAV", QKeySequence(Qt::CTRL | Qt::Key_C));

  createViewMenu();

  QMenu* analyze = bar->addMenu("&Analyze");
  analyze->setObjectName("AnalyzeMenu");
  actions_.insert("AnalyzeMenu", analyze->menuAction());
  addAction(analyze, "FFT1", "&FFT");
  addAction(analyze, "AR1", "&AR");
  addAction(analyze, "FFTTest1", "FFTTest");
  addAction(analyze, "TestARLPF1", "TestARLPF");
  addAction(analyze, "TestCrackle1", "Test&Crackle");
  addAction(analyze, "TestWheeze1", "Test&Wheeze");
  connect(addAction(analyze, "DetectWheezesTonal1", "Detect Wheezes (Tonal)"), &QAction::triggered, this,
          [this] { DetectWheezesTonalClick(); });
  addAction(analyze, "MakeSineWav1", "MakeSineWav");
  addAction(analyze, "MakeBMPs1", "Make BMPs");

  QMenu* report = bar->addMenu("&Report");
  report->setObjectName("ReportMenu");
  actions_.insert("ReportMenu", report->menuAction());
  // Each entry carries its report kind for the report dialog.
  const struct {
    const char* name;
    const char* caption;
    int kind;
  } reports[] = {{"AllSegments1", "&All segments", 4}, {"AllTagged1", "All &tagged", 1},
                 {"BreathAverages1", "&Breath averages", 2}, {"OverallAverages1", "&Overall averages", 0},
                 {"OctaveBands1", "O&ctave bands", 3}, {"BandPower1", "Band &power", 5},
                 {"FlowPower1", "&Flow power", 6}, {"Summary1", "&Summary", 7}};
  for (const auto& r : reports) addAction(report, r.name, r.caption)->setData(r.kind);

  QMenu* help = bar->addMenu("&Help");
  help->setObjectName("HelpMenu");
  addAction(help, "Help1", "&Help");
  QAction* hints = addAction(help, "ShowHints1", "&Show Hints");
  hints->setCheckable(true);
  hints->setChecked(true);
  addAction(help, "About1", "&About");

  // Entries whose work does not exist yet stay disabled whatever the document
  // state; the work that brings one calls makeCommandAvailable. "FFTTest" and
  // "TestARLPF" have no work at all, and "&AR" stays disabled.
  pendingCommands_ = {"New1", "Print1", "Report1", "ZUZU1", "Subject1", "Comments1", "Laboratory1",
                      "Preferences1", "AnalysisParameters1", "Extract1", "CopyPowertoFlow1", "CaptureScreen1", "Capture1", "AR1", "FFTTest1",
                      "TestARLPF1", "MakeSineWav1", "MakeBMPs1", "AllSegments1", "AllTagged1",
                      "BreathAverages1", "OverallAverages1", "OctaveBands1", "BandPower1", "FlowPower1", "Summary1"};
  for (const QString& name : pendingCommands_) actions_.value(name)->setEnabled(false);

  connectEditAndAnalyzeEntries();

  qApp->installEventFilter(new HintFilter(this));
  connect(hints, &QAction::toggled, this, [this](bool on) { setHintsShown(on); });
}

void TMainForm::connectCommand(const QString& name, std::function<void()> command, QObject* context) {
  QAction* entry = action(name);
  if (!entry) return;
  // No command starts while a worker owns the document.
  connect(entry, &QAction::triggered, context ? context : this, [this, command = std::move(command)] {
    if (!busy_) command();
  });
}

void TMainForm::connectEditAndAnalyzeEntries() {
  auto on = [this](const char* name, std::function<void()> command) { connectCommand(name, std::move(command)); };
  on("Include1", [this] { AddCurrentSegment(true, false); });
  on("Clear1", [this] { AddCurrentSegment(false, false); });
  on("Background1", [this] { AddCurrentSegment(true, true); });
  on("Exclude1", [this] { RejectCurrentSegment(true); });
  on("MarkInspiration1", [this] { MarkFlow(1000); });
  on("MarkExpiration1", [this] { MarkFlow(-1000); });
  on("FFT1", [this] { DoAnalyzeClick(true); });
  on("TestWheeze1", [this] { TestWheezeClick(); });
  on("TestCrackle1", [this] { TestCrackleClick(); });
}

void TMainForm::makeCommandAvailable(const QString& name) {
  pendingCommands_.removeAll(name);
  // Entries no enabling rule governs are simply on from now.
  if (QAction* a = action(name)) a->setEnabled(true);
  UpdateMenus();
}

void TMainForm::setCommandEnabled(const QString& name, bool enabled) {
  if (QAction* a = action(name)) a->setEnabled(enabled && !pendingCommands_.contains(name));
}

void TMainForm::UpdateMenus() {
  const bool haveRecording = doc_.hasRecording();
  for (const char* name : {"SaveAs1", "Extract1", "Close1", "Comments1", "Subject1", "Include1", "Clear1", "Background1",
                           "Exclude1", "Print1", "NormalizeChannels1", "Capture1", "AnalyzeMenu"})
    setCommandEnabled(name, haveRecording);
  const QString suffix = QFileInfo(QString::fromStdString(doc_.state.currentFileName)).suffix().toUpper();
  setCommandEnabled("Save1", haveRecording && suffix == "MER");
  setCommandEnabled("DeleteChannel1", haveRecording && doc_.recording->channelCount == 2);
  const bool analysed = doc_.spectra != nullptr;
  setCommandEnabled("ReportMenu", analysed);
  setCommandEnabled("CopyPowertoFlow1", analysed);
  if (options_.developer) setCommandEnabled("FFT1", haveRecording);
}

void TMainForm::hideDeveloperEntries() {
  // With --developer they all stay and "&FFT" follows the recording (UpdateMenus).
  if (!options_.developer) {
    for (const char* name : {"Report1", "Print1", "FFTTest1", "TestARLPF1", "TestCrackle1", "TestWheeze1",
                             "MakeSineWav1", "MakeBMPs1", "ZUZU1", "Capture1"})
      action(name)->setVisible(false);
    // The channel set-up belongs to new recordings, so it shows with a device.
    if (acquisitionDevice_) action("ZUZU1")->setVisible(true);
    action("FFT1")->setEnabled(false);
  }
  DisplayGroupBox->show();
}

int TMainForm::recentSlotCount() const {
  // From the first entry captioned "&1" up to the next separator.
  const QList<QAction*> items = fileMenu_->actions();
  int first = -1;
  for (int i = 0; i < items.size(); ++i)
    if (items[i]->text().startsWith("&1")) {
      first = i;
      break;
    }
  if (first < 0) return 0;
  int count = 0;
  for (int i = first; i < items.size() && !items[i]->isSeparator(); ++i) ++count;
  return count;
}

void TMainForm::showRecentFiles(const std::vector<std::string>& entries) {
  recentSeparator_->setVisible(!entries.empty());
  for (int i = 0; i < static_cast<int>(recentSlots_.size()); ++i) {
    QAction* slot = recentSlots_[i];
    if (i < static_cast<int>(entries.size())) {
      QString path = QString::fromStdString(entries[i]);
      // A path may itself hold "&", which would otherwise become an accelerator.
      slot->setText(QString("&%1 %2").arg(i + 1).arg(path.replace("&", "&&")));
      slot->setData(QString::fromStdString(entries[i]));
      slot->setVisible(true);
    } else {
      slot->setText(QString("&%1").arg(i + 1));
      slot->setData(QVariant());
      slot->setVisible(false);
    }
  }
}

void TMainForm::setHintsShown(bool shown) {
  hintsShown_ = shown;
  if (QAction* hints = action("ShowHints1"); hints && hints->isChecked() != shown) hints->setChecked(shown);
}

void TMainForm::setStartHints() {
  TagBox->setToolTip("Click to include\nShift-click to background\nCtrl-click to exclude\nRight-click to clear");
  PSDRadioGroup->setToolTip("Select PSD Display:\n   Single spectrum\n   Breath average\n   Overall average");
}

}  // namespace vode
