#include "viewer/MainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "formats/PaletteFile.h"
#include "viewer/ArrowStrip.h"
#include "viewer/FlowChart.h"
#include "viewer/PaneWidget.h"
#include "viewer/PowerPanel.h"
#include "viewer/WindowScale.h"
#include "workspace/WindowCommands.h"

namespace vode {

namespace {

bool fileExists(const std::string& path) { return QFile::exists(QString::fromStdString(path)); }

}  // namespace

// What the power panel reads of the workspace and what it may change there.
class TMainForm::PanelModel : public PowerPanelModel {
 public:
  explicit PanelModel(Workspace& workspace) : ws_(workspace) {}
  const Document& document() const override { return ws_.document(); }
  int channel() const override { return ws_.display().CurrentChannel; }
  bool powerDisplay() const override { return ws_.display().FlowDisplay == 2; }
  Prompter& prompter() override { return ws_.prompter(); }
  void setPanelSettings(const PanelSettings& settings) override { ws_.setPanelSettings(settings); }
  void copyPowerToFlow(int channel) override { ws_.copyPowerToFlow(channel); }

 private:
  Workspace& ws_;
};

TMainForm::TMainForm(GuiPrompter& prompter, const WindowOptions& options, QWidget* parent)
    : QMainWindow(parent),
      prompter_(prompter),
      options_(options),
      workspace_(new Workspace(prompter, this)),
      panelModel_(std::make_unique<PanelModel>(*workspace_)),
      doc_(workspace_->document()),
      state_(workspace_->display()) {
  setObjectName("MainForm");
  workspace_->setDeveloper(options_.developer);
  addWindowCommands(workspace_->commands());
  clock_ = std::make_unique<SteadyClock>();
  audio_ = std::make_unique<SilentAudioOutput>(*clock_);
  DATimer = new QTimer(this);
  DATimer->setObjectName("DATimer");
  DATimer->setInterval(20);
  DATimer->setTimerType(Qt::PreciseTimer);
  createControls();
  createMenus();
  connectControls();
  installHabits();
  powerPanel_->createChart(client_);
  // A window wider than the ratio draws the same seconds wider: the panes
  // that show time, and what lines up with them, take the room.
  scale_->setTimeBand(40, 442, {FlowTitleLabel, FlowPanel, SonoPanel, TagPanel, ScrollBar, StatusPanel, FlowShape,
                                SonoShape, TagShape, &powerPanel_->chart(), powerPanel_->summary()});
  createPaneViews();
  bindWindowCommands();
  setCaption("R.E.Z.U. Vode");
  setAcceptDrops(true);

  connect(workspace_, &Workspace::changed, this, [this](Changes what) { workspaceChanged(what); });
  connect(workspace_, &Workspace::reported, SegmentStatus, &QLabel::setText);
  connect(workspace_, &Workspace::progressBegan, this, &TMainForm::BeginProgress);
  connect(workspace_, &Workspace::progressMaximum, this,
          [this](int steps) { StatusGauge->setMaximum(std::max(steps, 0)); });
  connect(workspace_, &Workspace::progressMoved, this,
          [this](int position) { StatusGauge->setValue(std::clamp(position, 0, StatusGauge->maximum())); });
  connect(workspace_, &Workspace::progressEnded, this, &TMainForm::EndProgress);

  prompter_.showStartUpBox();

  buildPalettes();
  tempBaseName_ = options_.tempDir + "Merotmp";
  helpFile_ = options_.manualFile;

  state_.ViewMode = SonogramView;

  // The natural size is the smallest; larger windows scale the client area.
  resize(minimumSizeHint());
  restoreWindowSize();
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

TMainForm::~TMainForm() {
  stopPlayback(false);
  // The temporary playback files of this run.
  std::remove((tempBaseName_ + "0.wav").c_str());
  std::remove((tempBaseName_ + "1.wav").c_str());
}

void TMainForm::buildPalettes() {
  greyPalette_ = Palette::grey();
  doc_.state.programDir = options_.configDir;
  std::string palFile = doc_.state.programDir + "pal.dat";
  if (!fileExists(palFile) && !options_.executableDir.empty()) palFile = options_.executableDir + "pal.dat";
  colourPalette_ = fileExists(palFile) ? loadPalette(palFile) : greyPalette_;
  windowPalette_ = makeWindowPalette(colourPalette_);
  workspace_->setPalette(colourPalette_);
}

void TMainForm::BeginProgress(const QString& message, int steps) {
  clearStatusNotices();
  savedStatus_.push_back(SegmentStatus->text().left(40));
  SegmentStatus->setText(message);
  SegmentStatus->repaint();
  StatusGauge->setRange(0, std::max(steps, 0));
  StatusGauge->setValue(0);
  StatusGauge->show();
  setEnabled(false);
  // Work on this thread holds the document until it ends: the panes show
  // nothing meanwhile. A job works on a copy, and they go on painting.
  if (!busy()) state_.WindowEnabled = false;
}

void TMainForm::EndProgress() {
  StatusGauge->setValue(StatusGauge->maximum());
  StatusGauge->hide();
  if (!savedStatus_.isEmpty()) SegmentStatus->setText(savedStatus_.takeLast());
  // A job keeps the window disabled until it has ended as a whole.
  if (!busy() && savedStatus_.isEmpty()) {
    setEnabled(true);
    state_.WindowEnabled = true;
    // A menu follows its widget's enabled state, so re-enabling the window
    // turned Analyze and Report back on whatever the document holds.
    UpdateMenus();
  }
}

void TMainForm::busyChanged() {
  if (busy()) {
    // The work may change or drop the samples being heard.
    stopPlayback(false);
    EraseCursorLine();
    setEnabled(false);
    return;
  }
  while (!savedStatus_.isEmpty()) EndProgress();
  StatusGauge->hide();
  setEnabled(true);
  state_.WindowEnabled = true;
}

void TMainForm::workspaceChanged(Changes what) {
  if (what & Change::Busy) busyChanged();
  if (what & (Change::Recording | Change::Samples | Change::Tags | Change::Analysis)) clearStatusNotices();
  if (what & Change::Recording) {
    // Another document: the display starts afresh at its first segment.
    resetViewer();
    adjust_to_prefs();
    UpdateScreen();
  }
  if (what & (Change::Samples | Change::Settings)) refresh_to_prefs();
  if (what & Change::Analysis) afterAnalysis();
  if (what & Change::Tags) afterTagsChanged();
  if (what & Change::Images) repaintPane(SonoBox);
  if (what & Change::Wheezes) afterWheezeDetection();
  if (what & Change::Band) repaintPane(FlowBox);
  if (what & Change::Marks) repaintPane(TagBox);
  if (what & (Change::Recording | Change::Tags)) updateCracklesEnabled();
  setWindowModified(doc_.state.modified && doc_.hasRecording());
  refreshHoverReadout();
  UpdateMenus();
}

void TMainForm::setCaption(const QString& caption) {
  // "[*]" is where Qt shows the modified mark; a file name holding those
  // characters is doubled so that it shows as it is.
  QString text = caption;
  setWindowTitle(text.replace("[*]", "[*][*]") + "[*]");
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (busy()) {
    // Closing cancels the job; the window closes once it has ended, leaving
    // the document as it was before the job.
    event->ignore();
    workspace_->cancel();
    workspace_->whenIdle([this] { close(); });
    return;
  }
  if (closeQuery && !closeQuery()) {
    event->ignore();
    return;
  }
  stopPlayback(false);
  keepWindowSize();
  if (onClose) onClose();
  event->accept();
}

PictureControls TMainForm::pictureControls() const {
  PictureControls c{TagPanel, TagShape, VolumeButton, VoltsLabel, VoltsMaxLabel, VoltsMinLabel, ScrollBar,
                    LeftTimeLabel, RightTimeLabel, powerPanel_->frame(), &powerPanel_->chart(), powerPanel_->summary(),
                    FlowMaxLabel, FlowMinLabel, FlowUnitsLabel, FlowShape, SonoShape, DBArea, IEPanel, IEBox, ELabel,
                    AxisPanel, {}, FlowBox, SonoBox};
  for (int i = 0; i < 5; ++i) c.axisLabels[i] = AxisLabels[i];
  return c;
}

QString TMainForm::segmentStatus() const { return SegmentStatus->text(); }
QString TMainForm::cursorStatus() const { return CursorStatus->text(); }
void TMainForm::setCursorStatus(const QString& text) { CursorStatus->setText(text); }

}  // namespace vode
