#include "viewer/PowerPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <cstdlib>

#include "analysis/AnalysisCommand.h"
#include "analysis/Averages.h"
#include "formats/SettingsFiles.h"
#include "viewer/FlowChart.h"
#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"

namespace vode {

namespace {

constexpr int TopFrequency = 4800;  // Hz, the top of the spectra
constexpr int ModeA = 0, ModeB = 1;  // SpinMode; 2 is "A+B"

template <typename T>
T* find(QWidget* parent, const char* name) {
  T* w = parent->findChild<T*>(name);
  Q_ASSERT(w);
  return w;
}

// The spin boxes change by their arrows only, so the band stays on the 5 Hz
// grid of the spectra.
void arrowsOnly(QSpinBox* box) {
  if (auto* edit = box->findChild<QLineEdit*>()) edit->setReadOnly(true);
}

}  // namespace

PowerPanel::PowerPanel(TMainForm& form) : QObject(&form), form_(form) {
  setObjectName("PowerPanel");
  QWidget* panel = form_.AvgPanel;
  SpinType = find<QComboBox>(panel, "SpinType");
  SpinMin = find<QSpinBox>(panel, "SpinMin");
  SpinMax = find<QSpinBox>(panel, "SpinMax");
  SpinBar = find<QScrollBar>(panel, "SpinBar");
  SpinOctave = find<QComboBox>(panel, "SpinOctave");
  SpinFlow = find<QSpinBox>(panel, "SpinFlow");
  RectifydB = find<QCheckBox>(panel, "RectifydB");
  SpindB = find<QSpinBox>(panel, "SpindB");
  SetBase = find<QPushButton>(panel, "SetBase");
  SpinMode = find<QComboBox>(panel, "SpinMode");
  BaseFile = find<QLabel>(panel, "BaseFile");
  BaseSettings = find<QLabel>(panel, "BaseSettings");

  // Edit boxes and lists are known by their labels' captions.
  find<QLabel>(panel, "AvgDisplayLabel")->setBuddy(SpinType);
  for (QWidget* w : std::initializer_list<QWidget*>{SpinMin, SpinMax, SpinOctave, SpinFlow})
    find<QLabel>(panel, (w->objectName() + "Label").toUtf8().constData())->setBuddy(w);
  SpinType->setAccessibleName("Display");
  SpinMin->setAccessibleName("Min Hz");
  SpinMax->setAccessibleName("Max Hz");
  SpinOctave->setAccessibleName("Octave");
  SpinFlow->setAccessibleName("Bin mL/s");
  SpindB->setAccessibleName("Min dB");
  SpinMode->setAccessibleName("Set shown");
  SpinBar->setAccessibleName("Band");
  for (QSpinBox* box : {SpinMin, SpinMax, SpinFlow, SpindB}) arrowsOnly(box);
  // No octave is chosen until the user picks one: the band at start is 0..100 Hz.
  SpinOctave->setCurrentIndex(-1);

  for (QWidget* w : std::initializer_list<QWidget*>{SpinType, SpinMin, SpinMax, SpinBar, SpinOctave, RectifydB, SpindB})
    w->setEnabled(true);

  // The chart and the summary cover the large pane, the tag strip and the
  // status bar.
  QWidget* client = form_.client_;
  Chart = new FlowChart(client);
  Chart->setGeometry(8, 78, 433, 297);
  Chart->hide();
  Memo = new QPlainTextEdit(client);
  Memo->setObjectName("Memo");
  Memo->setAccessibleName("Summary");
  Memo->setReadOnly(true);
  Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo->setGeometry(16, 88, 417, 281);
  Memo->hide();

  connect(SpinMin, &QSpinBox::valueChanged, this, [this] { SpinMinChange(); });
  connect(SpinMax, &QSpinBox::valueChanged, this, [this] { SpinMinChange(); });
  connect(SpindB, &QSpinBox::valueChanged, this, [this] { SpinMinChange(); });
  connect(RectifydB, &QCheckBox::toggled, this, [this] { SpinMinChange(); });
  connect(SpinBar, &QScrollBar::valueChanged, this, [this] { SpinBarChange(); });
  connect(SpinOctave, &QComboBox::activated, this, [this] { SpinOctaveChange(); });
  connect(SpinType, &QComboBox::currentIndexChanged, this, [this] { SpinTypeChange(); });
  connect(SpinFlow, &QSpinBox::valueChanged, this, [this] { SpinFlowChange(); });
  connect(SpinMode, &QComboBox::currentIndexChanged, this, [this] { SpinModeChange(); });
  connect(SetBase, &QPushButton::clicked, this, [this] { SetBaseClick(); });
  connect(Chart, &FlowChart::pointDoubleClicked, this, &PowerPanel::showDoubleClick);
  connect(form_.action("CopyPowertoFlow1"), &QAction::triggered, this, [this] { CopyPowerClick(); });
  form_.makeCommandAvailable("CopyPowertoFlow1");

  SpinTypeChange();
  SpinModeChange();
}

ChartType PowerPanel::chartType() const { return static_cast<ChartType>(std::max(SpinType->currentIndex(), 0)); }

void PowerPanel::setChartType(ChartType type) { SpinType->setCurrentIndex(static_cast<int>(type)); }

bool PowerPanel::chartShown() const {
  return form_.state_.FlowDisplay == 2 && form_.doc_.spectra && chartType() != ChartType::Normal;
}

void PowerPanel::applyVisibility() {
  const bool shown = chartShown();
  Chart->setVisible(shown);
  Memo->setVisible(shown && chartType() == ChartType::Summary);
  if (shown) {
    Chart->raise();
    Memo->raise();
    // Whatever brought the chart up (an open, the flow display, new
    // settings) may have changed what it plots.
    UpdateChart();
  }
}

bool PowerPanel::zoomChart(bool in) {
  if (!chartShown()) return false;
  Chart->zoomAxes(in ? 0.5 : 2.0);
  return true;
}

void PowerPanel::SpinMinChange() {
  if (guard_) return;
  Document& doc = form_.doc_;
  const int width = std::abs(SpinMax->value() - SpinMin->value());
  {
    // The bar follows the band; its own change handler has nothing to do.
    const QSignalBlocker quiet(SpinBar);
    SpinBar->setMaximum(TopFrequency - width);
    SpinBar->setPageStep(width);
    SpinBar->setValue(SpinMin->value());
  }
  doc.panel.spinMin = SpinMin->value();
  doc.panel.spinMax = SpinMax->value();
  doc.panel.spindB = SpindB->value();
  doc.panel.rectifydB = RectifydB->isChecked();
  CalculateBandPower(doc);
  form_.repaintPane(form_.FlowBox);
  UpdateChart();
}

void PowerPanel::setBand(int minHz, int maxHz) {
  const int oldMin = SpinMin->value();
  const int oldMax = SpinMax->value();
  guard_ = true;
  SpinMin->setValue(minHz);
  guard_ = false;
  SpinMax->setValue(maxHz);
  // An unchanged maximum sends no change, yet the minimum moved: the band is
  // new all the same.
  if (SpinMax->value() == oldMax && SpinMin->value() != oldMin) SpinMinChange();
}

void PowerPanel::SpinBarChange() {
  const int newMin = SpinBar->value() / 5 * 5;
  setBand(newMin, SpinMax->value() + newMin - SpinMin->value());
}

void PowerPanel::SpinOctaveChange() {
  bool ok = false;
  const int v = SpinOctave->currentText().toInt(&ok);
  if (ok) setBand(v, 2 * v);
}

void PowerPanel::SpinTypeChange() {
  const ChartType type = chartType();
  const bool flowChart = type == ChartType::FlowDb || type == ChartType::FlowBinDb || type == ChartType::FlowBinDb2Sd;
  SetBase->setEnabled(flowChart);
  SpinMode->setEnabled(flowChart);
  SpinFlow->setEnabled(type == ChartType::FlowBinDb || type == ChartType::FlowBinDb2Sd);
  // Showing the chart updates it.
  applyVisibility();
}

void PowerPanel::SpinFlowChange() {
  form_.doc_.panel.spinFlow = SpinFlow->value();
  UpdateChart();
}

void PowerPanel::SpinModeChange() {
  const int mode = SpinMode->currentIndex();
  for (int i = 0; i < 3; ++i) {
    Chart->setSeriesShown(i, mode != ModeB);
    Chart->setSeriesShown(i + 3, mode != ModeA);
  }
  Chart->fitAxes();
}

void PowerPanel::SetBaseClick() {
  for (int i = 0; i < 3; ++i) Chart->setPoints(i + 3, Chart->points(i));
  if (SpinMode->currentIndex() == 2)
    SpinModeChange();
  else
    SpinMode->setCurrentIndex(2);
  BaseFile->setText(QFileInfo(QString::fromStdString(form_.doc_.state.currentFileName)).fileName());
  BaseSettings->setText(
      QString::asprintf("%d - %d Hz, %d mL", SpinMin->value(), SpinMax->value(), SpinFlow->value()));
  UpdateChart();
}

void PowerPanel::UpdateChart() {
  Document& doc = form_.doc_;
  if (!doc.spectra || !chartShown()) return;
  const SegmentSpectra& spectra = *doc.spectra;
  const int c = form_.state_.CurrentChannel;
  QList<QPointF> points, upper, lower;
  const ChartType type = chartType();
  if (type == ChartType::Summary) {
    std::vector<std::string> lines;
    WriteSummary(doc, c, lines, form_.prompter_);
    QString text;
    for (const std::string& line : lines) text += QString::fromStdString(line) + '\n';
    Memo->setPlainText(text);
  } else if (type == ChartType::FlowDb) {
    Chart->setTitle("Power (dB) vs Flow (L/s)");
    if (c >= 0 && c < spectra.channelCount && doc.phaseTable) {
      const std::vector<float>& band = spectra.bandPower[c];
      const TagTable* tags = doc.tagTable.get();
      const int last = std::min<int>(spectra.segmentCount, static_cast<int>(band.size()));
      points.reserve(last);
      // A segment flagged in any way on this channel says nothing about its band.
      for (int s = 0; s < last; ++s)
        if (!tags || tags->flags(c, s) == 0) points.append({doc.phaseTable->segmentFlowAt(s), band[s]});
    }
  } else {
    Chart->setTitle(QString("Power (dB) vs Flow ") + QString::asprintf("(%d mL bins)", SpinFlow->value()));
    const FlowBinTable bins = CalculateFlowBins(doc, doc, c, SpinFlow->value());
    const bool spread = type == ChartType::FlowBinDb2Sd;
    for (int k = 0; k < bins.size(); ++k) {
      if (bins.count[k] <= 0) continue;
      const double x = bins.flow[k], mean = bins.mean[k];
      points.append({x, mean});
      if (spread) {
        upper.append({x, mean + bins.spread[k]});
        lower.append({x, mean - bins.spread[k]});
      }
    }
  }
  Chart->setPoints(0, points);
  Chart->setPoints(1, upper);
  Chart->setPoints(2, lower);
  Chart->fitAxes();
}

void PowerPanel::CopyPowerClick() {
  Document& doc = form_.doc_;
  if (!doc.spectra || form_.busy()) return;
  if (form_.prompter_.ask("Are you sure you want to copy power to flow?", Buttons::YesNo, Answer::No) != Answer::Yes)
    return;
  const int c = form_.state_.CurrentChannel;
  form_.runInBackground([&doc, c](ProgressSink& progress, Prompter& prompter) {
    copyPowerToFlow(doc, doc, c, progress, prompter);
  });
  settingsChanged(doc, doc.state.programDir, form_.prompter_, form_.progress());
  form_.adjust_to_prefs();
  form_.UpdateMenus();
  form_.UpdateScreen();
  UpdateChart();
}

void PowerPanel::showDoubleClick(const QString& seriesTitle, int index, QPoint mouse) {
  form_.prompter_.message(MessageKind::Plain,
                          QString::asprintf("OnDblClick %s, %d, %d, %d", seriesTitle.toUtf8().constData(), index,
                                            mouse.x(), mouse.y())
                              .toStdString());
}

}  // namespace vode
