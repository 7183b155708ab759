#include "viewer/PowerPanel.h"

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

#include "analysis/Averages.h"
#include "document/Document.h"
#include "model/Prompter.h"
#include "viewer/Controls.h"
#include "viewer/FlowChart.h"

namespace vode {

namespace {

constexpr int TopFrequency = 4800;  // Hz, the top of the spectra
constexpr int ModeA = 0, ModeB = 1;  // SpinMode; 2 is "A+B"

// The spin boxes change by their arrows only, so the band stays on the 5 Hz
// grid of the spectra.
void arrowsOnly(QSpinBox* box) {
  if (auto* edit = box->findChild<QLineEdit*>()) edit->setReadOnly(true);
}

}  // namespace

PowerPanel::PowerPanel(PowerPanelModel& model, QWidget* client) : QObject(client), model_(model) {
  setObjectName("PowerPanel");
  createControls(client);
}

void PowerPanel::createControls(QWidget* client) {
  AvgPanel = new QFrame(client);
  AvgPanel->setObjectName("AvgPanel");
  AvgPanel->setGeometry(442, 0, 188, 361);
  AvgPanel->setAutoFillBackground(true);
  QLabel* typeLabel = makeLabel(AvgPanel, "AvgDisplayLabel", "Display", QRect(40, 14, 100, LabelHeight));
  SpinType = new QComboBox(AvgPanel);
  SpinType->setObjectName("SpinType");
  SpinType->setGeometry(40, 32, 137, 22);
  SpinType->addItems({"normal", "summary", "flow/dB", "flow bin/dB", "flow bin/dB + 2SD"});
  // Edit boxes and lists are known by their labels' captions.
  auto spin = [&](const QString& name, const QString& caption, int top, int low, int high, int step, int value) {
    QLabel* label = makeRightLabel(AvgPanel, name + "Label", caption, 84, top + 3, 80);
    auto* box = new QSpinBox(AvgPanel);
    box->setObjectName(name);
    box->setGeometry(88, top, 57, 22);
    box->setRange(low, high);
    box->setSingleStep(step);
    box->setValue(value);
    label->setBuddy(box);
    return box;
  };
  SpinMin = spin("SpinMin", "Min Hz", 88, 0, 4800, 5, 0);
  SpinMax = spin("SpinMax", "Max Hz", 120, 0, 4800, 5, 100);
  SpinBar = new QScrollBar(Qt::Vertical, AvgPanel);
  SpinBar->setObjectName("SpinBar");
  SpinBar->setGeometry(160, 88, 17, 185);
  SpinBar->setRange(0, 4700);
  SpinBar->setSingleStep(5);
  SpinBar->setPageStep(100);
  QLabel* octaveLabel = makeRightLabel(AvgPanel, "SpinOctaveLabel", "Octave", 84, 155, 80);
  SpinOctave = new QComboBox(AvgPanel);
  SpinOctave->setObjectName("SpinOctave");
  SpinOctave->setGeometry(88, 152, 57, 22);
  SpinOctave->addItems({"75", "150", "300", "600", "1200", "2400"});
  octaveLabel->setBuddy(SpinOctave);
  SpinFlow = spin("SpinFlow", "Bin mL/s", 184, 5, 500, 5, 100);
  RectifydB = new QCheckBox("Min dB", AvgPanel);
  RectifydB->setObjectName("RectifydB");
  RectifydB->setGeometry(15, 219, 70, 18);
  RectifydB->setToolTip("Rectify dB");
  SpindB = new QSpinBox(AvgPanel);
  SpindB->setObjectName("SpindB");
  SpindB->setGeometry(88, 216, 57, 22);
  SpindB->setRange(0, 50);
  SpindB->setValue(3);
  SetBase = makeButton(AvgPanel, "SetBase", "Set B", QRect(32, 248, 49, 25));
  SpinMode = new QComboBox(AvgPanel);
  SpinMode->setObjectName("SpinMode");
  SpinMode->setGeometry(88, 248, 57, 22);
  SpinMode->addItems({"A", "B", "A+B"});
  BaseFile = makeLabel(AvgPanel, "BaseFile", "N/A", QRect(32, 284, 150, LabelHeight));
  BaseSettings = makeLabel(AvgPanel, "BaseSettings", "N/A", QRect(32, 300, 150, LabelHeight));
  ReportButton = makeButton(AvgPanel, "ReportButton", "Report", QRect(16, 328, 65, 25), "Save report to file");
  LogCount = makeLabel(AvgPanel, "LogCount", "000", QRect(88, 332, 30, LabelHeight));
  LogCount->setToolTip("Number of logs");
  LogButton = makeButton(AvgPanel, "LogButton", "Log", QRect(120, 328, 57, 25), "Append report to file");
  // Report and Log come alive with the reports; the rest below.
  for (QWidget* child : AvgPanel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (!qobject_cast<QLabel*>(child)) child->setEnabled(false);
  AvgPanel->hide();

  typeLabel->setBuddy(SpinType);
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
}

void PowerPanel::createChart(QWidget* client) {
  // The chart and the summary cover the large pane, the tag strip and the
  // status bar.
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

  SpinTypeChange();
  SpinModeChange();
}

void PowerPanel::connectReports(std::function<void(bool log)> report) {
  ReportButton->setEnabled(true);
  connect(ReportButton, &QPushButton::clicked, this, [report] { report(false); });
  connect(LogButton, &QPushButton::clicked, this, [report] { report(true); });
}

void PowerPanel::setLogEnabled(bool on) { LogButton->setEnabled(on); }

void PowerPanel::setLogCount(const QString& text) { LogCount->setText(text); }

ChartType PowerPanel::chartType() const { return static_cast<ChartType>(std::max(SpinType->currentIndex(), 0)); }

void PowerPanel::setChartType(ChartType type) { SpinType->setCurrentIndex(static_cast<int>(type)); }

bool PowerPanel::chartShown() const {
  return model_.powerDisplay() && model_.document().spectra && chartType() != ChartType::Normal;
}

void PowerPanel::applyVisibility() {
  AvgPanel->setVisible(model_.powerDisplay());
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

PanelSettings PowerPanel::settings() const {
  PanelSettings panel = model_.document().panel;
  panel.spinMin = SpinMin->value();
  panel.spinMax = SpinMax->value();
  panel.spindB = SpindB->value();
  panel.rectifydB = RectifydB->isChecked();
  return panel;
}

void PowerPanel::SpinMinChange() {
  if (guard_) return;
  const int width = std::abs(SpinMax->value() - SpinMin->value());
  {
    // The bar follows the band; its own change handler has nothing to do.
    const QSignalBlocker quiet(SpinBar);
    SpinBar->setMaximum(TopFrequency - width);
    SpinBar->setPageStep(width);
    SpinBar->setValue(SpinMin->value());
  }
  // The band power follows; the window repaints the power trace and the
  // chart follows the new band.
  model_.setPanelSettings(settings());
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
  PanelSettings panel = model_.document().panel;
  panel.spinFlow = SpinFlow->value();
  model_.setPanelSettings(panel);
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
  BaseFile->setText(QFileInfo(QString::fromStdString(model_.document().state.currentFileName)).fileName());
  BaseSettings->setText(
      QString::asprintf("%d - %d Hz, %d mL", SpinMin->value(), SpinMax->value(), SpinFlow->value()));
  UpdateChart();
}

void PowerPanel::UpdateChart() {
  const Document& doc = model_.document();
  if (!doc.spectra || !chartShown()) return;
  const SegmentSpectra& spectra = *doc.spectra;
  const int c = model_.channel();
  QList<QPointF> points, upper, lower;
  const ChartType type = chartType();
  if (type == ChartType::Summary) {
    std::vector<std::string> lines;
    WriteSummary(doc, c, lines, model_.prompter());
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
  if (!model_.document().spectra) return;
  if (model_.prompter().ask("Are you sure you want to copy power to flow?", Buttons::YesNo, Answer::No) != Answer::Yes)
    return;
  model_.copyPowerToFlow(model_.channel());
}

void PowerPanel::showDoubleClick(const QString& seriesTitle, int index, QPoint mouse) {
  model_.prompter().message(MessageKind::Plain,
                            QString::asprintf("OnDblClick %s, %d, %d, %d", seriesTitle.toUtf8().constData(), index,
                                              mouse.x(), mouse.y())
                                .toStdString());
}

}  // namespace vode
