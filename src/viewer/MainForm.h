// TMainForm: the program's one document window. It lays out every control at
// its place in a 632 x 444 client area, builds its menus from the workspace's
// command table, shows the workspace's document and progress, and brings
// itself up to date when the workspace announces a change.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioOutput.h"
#include "audio/MonitorOutput.h"
#include "document/Document.h"
#include "model/Palette.h"
#include "model/Progress.h"
#include "viewer/Panes.h"
#include "viewer/PowerPanel.h"
#include "workspace/DisplayState.h"
#include "workspace/GuiPrompter.h"
#include "workspace/Workspace.h"

class QAction;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;
class QWheelEvent;

namespace vode {

class IEPaintBox;
class MarkerFrame;
class PaneWidget;
class WindowScale;

// Where the window keeps what outlives a document.
struct WindowOptions {
  std::string configDir;      // settings, recent list, pal.dat; trailing separator
  std::string executableDir;  // pal.dat is also looked for here; trailing separator
  std::string tempDir;        // temporary playback files; trailing separator
  std::string manualFile;     // the HTML manual Help/"&Help" opens
  bool newConfigFolder = false;  // configDir was made for this run: a first start
  bool developer = false;        // --developer: the hidden entries stay, "&FFT" follows the recording
  bool keepWindowSize = false;   // the window's size and "Play After Opening" are restored from and kept in configDir
};

constexpr int ClientWidth = 632;
constexpr int ClientHeight = 444;

// The controls a picture of the window hides, moves or relabels
// (src/app/CaptureCommands.cpp).
struct PictureControls {
  QWidget* tagPanel;
  QWidget* tagShape;
  QWidget* volumeButton;
  QWidget* voltsLabel;
  QWidget* voltsMaxLabel;
  QWidget* voltsMinLabel;
  QWidget* scrollBar;
  QWidget* leftTimeLabel;
  QWidget* rightTimeLabel;
  QWidget* powerPanel;
  QWidget* chart;
  QWidget* summary;
  QWidget* flowMaxLabel;
  QWidget* flowMinLabel;
  QLabel* flowUnitsLabel;
  QWidget* flowShape;
  QWidget* sonoShape;
  QWidget* dbArea;
  QWidget* arrowPanel;
  IEPaintBox* arrows;
  QWidget* eLabel;
  QWidget* axisPanel;
  QLabel* axisLabels[5];
  PaneWidget* flowBox;
  PaneWidget* sonoBox;
};

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  TMainForm(GuiPrompter& prompter, const WindowOptions& options, QWidget* parent = nullptr);
  ~TMainForm() override;

  Workspace& workspace() { return *workspace_; }
  Document& document() { return doc_; }
  DisplayState& display() { return state_; }
  GuiPrompter& prompter() { return prompter_; }
  const WindowOptions& options() const { return options_; }
  const LargePane& largePane() const { return panes_->large; }
  const Palette& colourPalette() const { return colourPalette_; }
  // The power-versus-flow panel and its chart.
  PowerPanel& powerPanel() { return *powerPanel_; }
  const std::string& programDir() const { return doc_.state.programDir; }
  const std::string& tempBaseName() const { return tempBaseName_; }
  const std::string& helpFile() const { return helpFile_; }

  // --- Display state (selection, paging, labels) -----------------------------
  void set_current_segment(int32_t n);
  void UpdateScreen();
  void adjust_to_prefs();
  void refresh_to_prefs();
  void SetFlowShape();
  void reset_sonogram();
  void reset_db_labels();
  // The viewer's part of a document reset.
  void resetViewer();

  // --- Progress -----------------------------------------------------------------
  // The gauge over the status bar: work on this thread disables the window
  // while it runs; a job keeps it disabled until the job has ended, while the
  // panes go on painting the document, which the job does not change.
  void BeginProgress(const QString& message, int steps);
  void EndProgress();
  // The progress display as a core progress sink (user-interface thread only).
  ProgressSink& progress() { return workspace_->progress(); }
  bool busy() const { return workspace_->busy(); }

  // --- Commands of the controls -------------------------------------------------
  void TimeBoxClick();
  void FreqBoxClick();
  void ZoomInXClick();
  void ZoomOutXClick();
  void ZoomInYClick();
  void ZoomOutYClick();
  void VolumeButtonClick();
  void ChooseChannel(int channel);
  void SetPsdChoice(int choice);
  void StepTagged(int direction);
  void WheezesClick();
  // Analyze/"Detect Wheezes (Tonal)": the tonal detector, then the flags and
  // wheeze images shown as after the standard detector.
  void DetectWheezesTonalClick();
  // Mouse down on a time-aligned pane at pane x: selects the segment there.
  void SelectSegmentAt(int paneX);

  // --- Tagging by mouse and menu ---------------------------------------------------
  // Selects segment s, then applies the gesture of the shift state (the mouse
  // buttons held and the modifier keys together) to it.
  void TagSegment(int32_t s, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
  // "Include" (include), "Clear" (not include), "Background" (include, background).
  void AddCurrentSegment(bool include, bool background);
  // "Exclude": the current segment and its neighbours.
  void RejectCurrentSegment(bool neighbours);
  // "Mark &Inspiration" (+1000 mL/s), "Mark &Expiration" (-1000): the breath
  // signal of the current segment, then the next segment.
  void MarkFlow(int16_t value);
  // "Mark Range as ...": the range last dragged over the flow pane or
  // sonogram, or the current segment (selectedSegments).
  void MarkRange(PhaseMark mark);

  // --- Analyze menu ------------------------------------------------------------------
  void TestWheezeClick();
  void TestCrackleClick();
  // Analyze/"Estimate Breath Cycles" and "Detect Crackles".
  void EstimateBreathCyclesClick();
  void DetectCracklesClick();
  // "&Crackles" ticked or cleared: the tag strip colours the flagged segments or not.
  void CracklesClick();
  // Ticks or clears "&Wheezes" as a click would (when the box is enabled).
  void showWheezes(bool on);

  // The analysis command ("&FFT").
  void DoAnalyzeClick();
  // --- Playback ---------------------------------------------------------------------
  // The sound output and the clock playback is timed by. Until this is called
  // the window plays on a silent output (screenshots, tests).
  void usePlayback(std::unique_ptr<AudioOutput> output, std::unique_ptr<Clock> clock);
  AudioOutput& audioOutput() { return *audio_; }
  // What the New Recording window streams the monitored sound to; silent
  // until the program installs the sound server's.
  void useMonitorOutput(std::unique_ptr<MonitorOutput> output) { monitor_ = std::move(output); }
  MonitorOutput& monitorOutput() { return *monitor_; }
  // Starts playing the range of the current channel (ignored while playing).
  void PlayBitBtnClick();
  // Stops playing; a playback that reached its end gets the rate check.
  void StopBitBtnClick();
  // The 20 ms tick while playing.
  void DATimerTimer();
  // Moves the play line on by one segment, or ends playback at the range's end.
  void ProcessDABuffer();
  // Draws the play line at segment s, or erases it when it is drawn there.
  void XorPlayCounter(int32_t s);
  // Play after an open or an accepted acquisition: without any output device
  // the status bar says so instead of a box on every open.
  void playAfterLoading();
  bool playing() const { return state_.Playing; }
  // Edit/"Play After Opening": on by default; a kept window keeps the choice.
  void setPlayAfterOpening(bool on);
  bool playAfterOpening() const { return playAfterOpening_; }
  // A range by mouse over a time-aligned pane, at pane x: the press selects
  // the segment and starts Dragging, a move puts the play line on the range's
  // end, and a release right of the current segment plays the range.
  void beginRangeDrag(int paneX);
  void moveRangeDrag(int paneX);
  void endRangeDrag(int paneX);

  // --- Hair-line cursor ----------------------------------------------------------
  void TrackCursorLine(PaneWidget* pane, int x);
  void EraseCursorLine();

  // The window's caption; a "*" follows it while the document has unsaved changes.
  void setCaption(const QString& caption);

  // --- Menus ----------------------------------------------------------------------
  QAction* action(const QString& name) const;
  QMenu* fileMenu() const { return fileMenu_; }
  // Enables and shows every entry as the rules of its row say.
  void UpdateMenus();
  // Shows what the window holds back until it is first shown.
  void firstShown();
  // The recent-file slots "&1".."&9" and the separator above them.
  int recentSlotCount() const;
  void showRecentFiles(const std::vector<std::string>& entries);
  void setHintsShown(bool shown);
  bool hintsShown() const { return hintsShown_; }
  // The tag strip and PSD hints set when the window is first shown.
  void setStartHints();
  // Labels the channel choices for Delete Channel and selects the current one.
  void labelTwoChannels();

  // --- Size of the window ----------------------------------------------------------
  // The client area scales with the window (src/viewer/WindowScale.h); code
  // that moves a control at run time goes through it.
  WindowScale& windowScale() const { return *scale_; }
  // Resizes the window so the client area is its natural size times s.
  void zoomWindow(qreal s);
  qreal zoom() const;

  // --- Hooks of the document lifecycle -------------------------------------------
  std::function<bool()> closeQuery;  // false keeps the window open
  std::function<void()> onClose;
  // A file dropped onto the window (one local file).
  std::function<void(const std::string&)> onFileDropped;

  // --- Notices in the status bar ------------------------------------------------
  // Shown over the status boxes one after another (the last stays) until a
  // pane is clicked or the document changes; nothing when empty.
  void showStatusNotices(const QStringList& notices);
  void nextStatusNotice();
  void clearStatusNotices();
  // The notice showing now, or empty.
  QString statusNotice() const;

  // --- Controls -----------------------------------------------------------------
  PictureControls pictureControls() const;
  QString segmentStatus() const;
  QString cursorStatus() const;
  void setCursorStatus(const QString& text);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // The arrow keys of the scroll bar, Space and the wheel over the panes.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class PanelModel;

  void createControls();
  void createPanes(QWidget* client);
  void createRightColumn(QWidget* client);
  void createBottomRow(QWidget* client);
  void createCapturePanels(QWidget* client);
  void createMenus();
  void bindWindowCommands();
  void bindZoomCommands();
  void updateZoomEntries();
  void restoreWindowSize();
  void layOutNow();
  void keepWindowSize();
  void connectControls();
  void createPaneViews();
  void buildPalettes();
  void installHabits();
  bool spaceKey(QObject* watched, const QKeyEvent* key);
  bool wheelOverPanes(QWidget* watched, QWheelEvent* wheel);
  void initialiseFont();

  void repaintTimeAligned();
  void repaintPane(PaneWidget* pane);
  void setLargePaneLabels(const QStringList& topToBottom);
  void setLargePaneHints(bool on);
  void enterWaveformLabels();
  void placeMarker(MarkerFrame* marker, PaneWidget* pane, int left, int width);
  void adjustChannelChoice();
  void updateWheezesEnabled();
  void updateCracklesEnabled();
  void applyPowerDisplayVisibility();
  void frequencyZoom(int direction);
  void applyWaveformTimeChange();
  // Brings the window up to date with what the workspace changed.
  void workspaceChanged(Changes what);
  void busyChanged();
  void afterAnalysis();
  void afterTagsChanged();
  void paneMouseMove(PaneWidget* pane, QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
  void paneMousePress(PaneWidget* pane, QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
  void paneMouseRelease(PaneWidget* pane, QPoint pos);
  // Ends a tag-strip drag or a range drag whose release never arrived.
  void endMouseGestures();
  // The status of the pane under the mouse read again, after an edit.
  void refreshHoverReadout();
  void afterWheezeDetection();
  void applyPaintOutcome(const PaintOutcome& outcome);
  void showPlainMessageLater(const QString& text);
  void placePlayLine();
  void placePlayRange();
  // Stop without the rate check: a new document, long work, closing.
  void stopPlayback(bool checkRate);
  void setPlayLine(int32_t s);

  GuiPrompter& prompter_;
  WindowOptions options_;
  Workspace* workspace_;
  std::unique_ptr<PowerPanelModel> panelModel_;
  // Shorthands of the workspace's document and display state.
  Document& doc_;
  DisplayState& state_;
  Palette greyPalette_;
  Palette colourPalette_;
  WindowPalette windowPalette_;
  std::string tempBaseName_;
  std::string helpFile_;
  // The clock first: the silent output reads it.
  std::unique_ptr<Clock> clock_;
  std::unique_ptr<AudioOutput> audio_;
  std::unique_ptr<MonitorOutput> monitor_ = std::make_unique<SilentMonitorOutput>();
  QTimer* DATimer = nullptr;
  // The clock when the output first reported sound heard, -1 before; the
  // rate check measures from there, against the range taken at Play.
  int64_t playStartTick_ = -1;
  int64_t playStartMs_ = 0;
  double playExpectedSeconds_ = 0.0;
  bool playingDraggedRange_ = false;
  int32_t playLineSegment_ = -1;  // where the play line is drawn, -1 nowhere

  // One object per pane; each paints its widget and reads the mouse over it.
  std::unique_ptr<PaneSet> panes_;

  bool hintsShown_ = true;
  QStringList savedStatus_;  // one per open progress display
  int sonoShapeLeft_ = 0;
  bool plainMessagePending_ = false;
  // The pane the mouse last moved over and where, for read-outs after edits.
  PaneWidget* hoverPane_ = nullptr;
  QPoint hoverPos_;
  int wheelRest_ = 0;  // part of a wheel notch not yet acted on
  bool playAfterOpening_ = true;

  // Controls; their object names are the names the tests and menus use.
  QWidget* client_ = nullptr;
  WindowScale* scale_ = nullptr;
  QFrame* FlowPanel = nullptr;
  PaneWidget* FlowBox = nullptr;
  MarkerFrame* FlowShape = nullptr;
  QLabel* FlowTitleLabel = nullptr;
  QLabel* FlowMaxLabel = nullptr;
  QLabel* FlowUnitsLabel = nullptr;
  QLabel* FlowMinLabel = nullptr;
  QPushButton* VolumeButton = nullptr;
  QLabel* VolumeMaxLabel = nullptr;
  QLabel* VolumeMinLabel = nullptr;
  QFrame* SonoPanel = nullptr;
  PaneWidget* SonoBox = nullptr;
  MarkerFrame* SonoShape = nullptr;
  QLabel* SonoLabels[5] = {};  // SonoLabel5 (top) .. SonoLabel1 (bottom)
  QFrame* TagPanel = nullptr;
  PaneWidget* TagBox = nullptr;
  MarkerFrame* TagShape = nullptr;
  QScrollBar* ScrollBar = nullptr;
  QLabel* LeftTimeLabel = nullptr;
  QLabel* RightTimeLabel = nullptr;
  QFrame* StatusPanel = nullptr;
  QLabel* SegmentStatus = nullptr;
  QLabel* CursorStatus = nullptr;
  QProgressBar* StatusGauge = nullptr;
  QLabel* StatusNotice = nullptr;
  QTimer* noticeTimer_ = nullptr;
  QStringList notices_;  // still to show after the one showing
  QFrame* TimePanel = nullptr;
  PaneWidget* TimeBox = nullptr;
  QLabel* VoltsMaxLabel = nullptr;
  QLabel* VoltsLabel = nullptr;
  QLabel* VoltsMinLabel = nullptr;
  QFrame* FreqPanel = nullptr;
  PaneWidget* FreqBox = nullptr;
  QLabel* FreqLabel = nullptr;
  QFrame* DBArea = nullptr;
  PaneWidget* DBBox = nullptr;
  QPushButton* ZoomInY = nullptr;
  QPushButton* ZoomOutY = nullptr;
  QPushButton* ZoomInX = nullptr;
  QPushButton* ZoomOutX = nullptr;
  QLabel* YLabel = nullptr;
  QGroupBox* ChannelRadioGroup = nullptr;
  QRadioButton* ChannelRadio[2] = {};
  QButtonGroup* channelButtons_ = nullptr;
  QComboBox* ChannelComboBox = nullptr;
  QGroupBox* DisplayGroupBox = nullptr;
  QCheckBox* WheezesCheckBox = nullptr;
  QCheckBox* CracklesCheckBox = nullptr;
  QLabel* TagLabel = nullptr;
  QPushButton* PlayBitBtn = nullptr;
  QPushButton* StopBitBtn = nullptr;
  QGroupBox* PSDRadioGroup = nullptr;
  QRadioButton* PsdRadio[3] = {};
  QButtonGroup* psdButtons_ = nullptr;
  QPushButton* PrevBitBtn = nullptr;
  QPushButton* NextBitBtn = nullptr;
  PowerPanel* powerPanel_ = nullptr;
  QFrame* IEPanel = nullptr;
  IEPaintBox* IEBox = nullptr;
  QLabel* ELabel = nullptr;
  QFrame* AxisPanel = nullptr;
  QLabel* AxisLabels[5] = {};

  QMenu* fileMenu_ = nullptr;
  QAction* recentSeparator_ = nullptr;
  std::vector<QAction*> recentSlots_;
  QHash<QString, QAction*> actions_;
};

}  // namespace vode
