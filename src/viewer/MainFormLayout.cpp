// The controls of the main window at their places in the 632 x 444 client
// area. Positions are logical pixels at the window's natural size; Qt scales
// them on high-DPI screens, and WindowScale when the window is made larger.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>

#include "viewer/ArrowStrip.h"
#include "viewer/Controls.h"
#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"
#include "viewer/PowerPanel.h"
#include "viewer/WindowScale.h"

namespace vode {

namespace {

const QColor PaneFace(0xC0, 0xC0, 0xC0);

QFrame* makeSunkenFrame(QWidget* parent, const QString& name, QRect geometry) {
  auto* frame = new QFrame(parent);
  frame->setObjectName(name);
  frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  frame->setLineWidth(1);
  frame->setGeometry(geometry);
  return frame;
}

// A paint pane inside its one-pixel sunken frame.
PaneWidget* makePane(QFrame* frame, const QString& name, QColor background, QSize size) {
  auto* pane = new PaneWidget(name, background, frame);
  pane->setGeometry(1, 1, size.width(), size.height());
  return pane;
}

}  // namespace

void TMainForm::initialiseFont() {
  // "Arial" in the window's design: Liberation Sans has the same metrics.
  QFont::insertSubstitution("Arial", "Liberation Sans");
  QFont font("Liberation Sans");
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(13);
  font.setBold(true);
  client_->setFont(font);
}

void TMainForm::createControls() {
  client_ = new QWidget(this);
  client_->setObjectName("ClientArea");
  client_->setMinimumSize(ClientWidth, ClientHeight);
  setCentralWidget(client_);
  initialiseFont();

  createPanes(client_);
  createRightColumn(client_);
  createBottomRow(client_);
  // The power-versus-flow panel: laid out now, alive in power display.
  powerPanel_ = new PowerPanel(*panelModel_, client_);
  createCapturePanels(client_);

  // The markers lie over the panes; the volume button stays usable over the
  // power panel.
  FlowShape->raise();
  SonoShape->raise();
  TagShape->raise();
  VolumeButton->raise();
  TagLabel->raise();

  // The scroll bar comes first in the tab order and has the focus, so the
  // arrow keys move through the recording.
  QWidget* previous = ScrollBar;
  for (QWidget* w : client_->findChildren<QWidget*>()) {
    if (w == ScrollBar || !(w->focusPolicy() & Qt::TabFocus)) continue;
    QWidget::setTabOrder(previous, w);
    previous = w;
  }
  setFocusProxy(ScrollBar);

  // Everything made so far, and whatever is added later, scales with the window.
  scale_ = new WindowScale(client_, QSize(ClientWidth, ClientHeight));
}

void TMainForm::createPanes(QWidget* client) {
  // Flow pane and its labels.
  FlowTitleLabel = makeLabel(client, "FlowTitleLabel", "Flow", QRect(40, -2, 401, LabelHeight), Qt::AlignHCenter | Qt::AlignTop);
  FlowPanel = makeSunkenFrame(client, "FlowPanel", QRect(40, 15, 402, 58));
  FlowBox = makePane(FlowPanel, "FlowBox", PaneFace, QSize(400, 56));
  FlowBox->setToolTip("Click to select current segment");
  FlowMaxLabel = makeRightLabel(client, "FlowMaxLabel", "1.5", 36, 12);
  FlowUnitsLabel = makeRightLabel(client, "FlowUnitsLabel", "L/s", 36, 36);
  FlowMinLabel = makeRightLabel(client, "FlowMinLabel", "-1.5", 36, 60);
  VolumeButton = makeButton(client, "VolumeButton", "L", QRect(444, 32, 25, 25), "Click to toggle volume display");
  VolumeMaxLabel = makeLabel(client, "VolumeMaxLabel", "1.0", QRect(444, 12, 40, LabelHeight));
  VolumeMinLabel = makeLabel(client, "VolumeMinLabel", "-1.0", QRect(444, 60, 40, LabelHeight));
  VolumeMaxLabel->hide();
  VolumeMinLabel->hide();

  // Large pane on black, with its five axis labels.
  SonoPanel = makeSunkenFrame(client, "SonoPanel", QRect(40, 80, 402, 242));
  SonoPanel->setStyleSheet("QFrame#SonoPanel { background: black; }");
  SonoBox = makePane(SonoPanel, "SonoBox", Qt::black, QSize(400, 240));
  SonoBox->setToolTip("Click to select current segment");
  const int sonoTops[5] = {78, 132, 192, 252, 312};
  const char* sonoTexts[5] = {"Hz", "900", "600", "300", "0"};
  for (int i = 0; i < 5; ++i)
    SonoLabels[i] = makeRightLabel(client, QString("SonoLabel%1").arg(5 - i), sonoTexts[i], 36, sonoTops[i]);

  // Tag strip and scroll bar.
  TagPanel = makeSunkenFrame(client, "TagPanel", QRect(40, 322, 402, 12));
  TagBox = makePane(TagPanel, "TagBox", PaneFace, QSize(400, 10));
  ScrollBar = new QScrollBar(Qt::Horizontal, client);
  ScrollBar->setObjectName("ScrollBar");
  ScrollBar->setGeometry(40, 334, 401, 17);
  ScrollBar->setRange(0, 0);
  ScrollBar->setSingleStep(1);
  ScrollBar->setPageStep(25);
  ScrollBar->setFocusPolicy(Qt::StrongFocus);
  ScrollBar->setAccessibleName("Time");
  LeftTimeLabel = makeRightLabel(client, "LeftTimeLabel", "0.0s", 39, 336, 39);
  RightTimeLabel = makeLabel(client, "RightTimeLabel", "5.0s", QRect(444, 336, 56, LabelHeight));

  // Markers of the current segment: one pixel outside the segment's cells.
  FlowShape = new MarkerFrame("FlowShape", client, FlowBox);
  FlowShape->setGeometry(40, 10, 10, 67);
  SonoShape = new MarkerFrame("SonoShape", client, SonoBox);
  SonoShape->setGeometry(40, 79, 10, 244);
  TagShape = new MarkerFrame("TagShape", client, TagBox);
  TagShape->setGeometry(40, 321, 10, 14);

  // Status bar: segment status, cursor read-out and the gauge over it.
  StatusPanel = new QFrame(client);
  StatusPanel->setObjectName("StatusPanel");
  StatusPanel->setGeometry(40, 352, 401, 23);
  StatusPanel->setToolTip("Data cursor status");
  SegmentStatus = makeLabel(StatusPanel, "SegmentStatus", "", QRect(0, 0, 200, 23));
  SegmentStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  SegmentStatus->setToolTip("Current segment status");
  SegmentStatus->setIndent(3);
  CursorStatus = makeLabel(StatusPanel, "CursorStatus", "", QRect(200, 0, 201, 23));
  CursorStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  CursorStatus->setIndent(3);
  StatusGauge = new QProgressBar(CursorStatus);
  StatusGauge->setObjectName("StatusGauge");
  StatusGauge->setGeometry(1, 1, 199, 21);
  StatusGauge->setTextVisible(false);
  StatusGauge->setStyleSheet(
      "QProgressBar { border: none; background: palette(button); }"
      "QProgressBar::chunk { background: #000080; }");
  StatusGauge->hide();
  // A word about the file just opened, over both boxes until the next click
  // on a pane or change of the document.
  StatusNotice = makeLabel(StatusPanel, "StatusNotice", "", QRect(0, 0, 401, 23));
  StatusNotice->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  StatusNotice->setIndent(3);
  StatusNotice->setAutoFillBackground(true);
  StatusNotice->hide();
}

void TMainForm::createRightColumn(QWidget* client) {
  // Waveform of the current segment.
  makeLabel(client, "WaveformTitle", "Waveform", QRect(504, -2, 122, LabelHeight), Qt::AlignHCenter | Qt::AlignTop);
  TimePanel = makeSunkenFrame(client, "TimePanel", QRect(504, 15, 122, 131));
  TimeBox = makePane(TimePanel, "TimeBox", PaneFace, QSize(120, 129));
  TimeBox->setToolTip("Click to zoom");
  VoltsMaxLabel = makeRightLabel(client, "VoltsMaxLabel", "5.0", 501, 12);
  VoltsLabel = makeRightLabel(client, "VoltsLabel", "Volts", 501, 72, 44);
  VoltsMinLabel = makeRightLabel(client, "VoltsMinLabel", "-5.0", 501, 132);
  makeLabel(client, "TimeStartLabel", "0", QRect(504, 148, 30, LabelHeight));
  makeLabel(client, "TimeUnitLabel", "ms", QRect(504, 148, 122, LabelHeight), Qt::AlignHCenter | Qt::AlignVCenter);
  makeRightLabel(client, "TimeEndLabel", "100", 626, 148);

  // Spectrum of the current segment.
  makeLabel(client, "SpectrumTitle", "Spectrum", QRect(504, 175, 122, LabelHeight), Qt::AlignHCenter | Qt::AlignTop);
  FreqPanel = makeSunkenFrame(client, "FreqPanel", QRect(504, 192, 122, 130));
  FreqBox = makePane(FreqPanel, "FreqBox", PaneFace, QSize(120, 128));
  FreqBox->setToolTip("Click to zoom");
  makeLabel(client, "FreqStartLabel", "0", QRect(504, 324, 30, LabelHeight));
  makeLabel(client, "FreqUnitLabel", "Hz", QRect(504, 324, 122, LabelHeight), Qt::AlignHCenter | Qt::AlignVCenter);
  FreqLabel = makeRightLabel(client, "FreqLabel", "1200", 626, 324);

  // dB colour bar with its labels beside it.
  DBArea = new QFrame(client);
  DBArea->setObjectName("DBArea");
  DBArea->setGeometry(456, 184, 49, 145);
  DBArea->setToolTip("dB color scale");
  DBBox = new PaneWidget("DBBox", PaneFace, DBArea);
  DBBox->setGeometry(0, 8, 23, 128);
  const char* dbTexts[5] = {"dB", "48", "32", "16", "0"};
  for (int i = 0; i < 5; ++i)
    makeLabel(DBArea, QString("DBLabel%1").arg(i + 1), dbTexts[i], QRect(25, 1 + 32 * i, 24, 14));
}

void TMainForm::createBottomRow(QWidget* client) {
  YLabel = makeLabel(client, "YLabel", "Y", QRect(8, 368, 25, LabelHeight), Qt::AlignCenter);
  ZoomInY = makeButton(client, "ZoomInY", "+", QRect(8, 384, 25, 25), "Y-axis zoom in");
  ZoomOutY = makeButton(client, "ZoomOutY", "-", QRect(8, 412, 25, 25), "Y-axis zoom out");
  makeLabel(client, "XLabel", "X", QRect(448, 368, 25, LabelHeight), Qt::AlignCenter);
  ZoomInX = makeButton(client, "ZoomInX", "+", QRect(448, 384, 25, 25), "X-axis zoom in");
  ZoomOutX = makeButton(client, "ZoomOutX", "-", QRect(448, 412, 25, 25), "X-axis zoom out");

  // Channel choice: two radio items, or a drop-down over them for more channels.
  ChannelRadioGroup = new QGroupBox("Channel", client);
  ChannelRadioGroup->setObjectName("ChannelRadioGroup");
  ChannelRadioGroup->setGeometry(40, 376, 193, 61);
  ChannelRadioGroup->setToolTip("Select current channel");
  channelButtons_ = new QButtonGroup(this);
  for (int i = 0; i < 2; ++i) {
    ChannelRadio[i] = new QRadioButton(QString("&%1: ").arg(i + 1), ChannelRadioGroup);
    ChannelRadio[i]->setObjectName(QString("ChannelRadio%1").arg(i + 1));
    ChannelRadio[i]->setGeometry(8, 18 + 20 * i, 177, 18);
    channelButtons_->addButton(ChannelRadio[i], i);
  }
  ChannelRadio[0]->setChecked(true);
  ChannelRadioGroup->setEnabled(false);
  ChannelComboBox = new QComboBox(client);
  ChannelComboBox->setObjectName("ChannelComboBox");
  ChannelComboBox->setGeometry(48, 400, 177, 22);
  ChannelComboBox->setToolTip("Select current channel");
  ChannelComboBox->setAccessibleName("Channel");
  ChannelComboBox->hide();

  DisplayGroupBox = new QGroupBox("Display", client);
  DisplayGroupBox->setObjectName("DisplayGroupBox");
  DisplayGroupBox->setGeometry(240, 376, 105, 61);
  WheezesCheckBox = new QCheckBox("&Wheezes", DisplayGroupBox);
  WheezesCheckBox->setObjectName("WheezesCheckBox");
  WheezesCheckBox->setGeometry(8, 18, 92, 18);
  WheezesCheckBox->setEnabled(false);
  CracklesCheckBox = new QCheckBox("&Crackles", DisplayGroupBox);
  CracklesCheckBox->setObjectName("CracklesCheckBox");
  CracklesCheckBox->setGeometry(8, 38, 92, 18);
  CracklesCheckBox->setEnabled(false);
  DisplayGroupBox->hide();  // shown when the window is first shown

  TagLabel = makeLabel(client, "TagLabel", "", QRect(240, 388, 121, LabelHeight), Qt::AlignCenter);
  TagLabel->setAttribute(Qt::WA_TransparentForMouseEvents);

  PlayBitBtn = makeButton(client, "PlayBitBtn", "&Play", QRect(368, 384, 73, 25), "Play current channel");
  StopBitBtn = makeButton(client, "StopBitBtn", "&Stop", QRect(368, 412, 73, 25), "Stop playback");
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] {
    if (PlayBitBtn->isEnabled()) PlayBitBtn->click();
  });

  PSDRadioGroup = new QGroupBox("PSD", client);
  PSDRadioGroup->setObjectName("PSDRadioGroup");
  PSDRadioGroup->setGeometry(480, 344, 146, 61);
  psdButtons_ = new QButtonGroup(this);
  const char* psdTexts[3] = {"Single", "Breath", "All"};
  const QPoint psdPlaces[3] = {{8, 18}, {8, 38}, {76, 18}};  // two columns, filled down first
  for (int i = 0; i < 3; ++i) {
    PsdRadio[i] = new QRadioButton(psdTexts[i], PSDRadioGroup);
    PsdRadio[i]->setObjectName(QString("PsdRadio%1").arg(psdTexts[i]));
    PsdRadio[i]->setGeometry(psdPlaces[i].x(), psdPlaces[i].y(), 66, 18);
    psdButtons_->addButton(PsdRadio[i], i);
  }
  PsdRadio[0]->setChecked(true);

  PrevBitBtn = makeButton(client, "PrevBitBtn", "", QRect(480, 412, 41, 25), "Previous tagged segment");
  PrevBitBtn->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
  // Arrow pictures only: a screen reader needs the words.
  PrevBitBtn->setAccessibleName("Previous tagged segment");
  NextBitBtn = makeButton(client, "NextBitBtn", "", QRect(528, 412, 41, 25), "Next tagged segment");
  NextBitBtn->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
  NextBitBtn->setAccessibleName("Next tagged segment");
}

void TMainForm::createCapturePanels(QWidget* client) {
  // Strips that only a screen capture shows.
  IEPanel = new QFrame(client);
  IEPanel->setObjectName("IEPanel");
  IEPanel->setGeometry(442, -8, ArrowStripWidth, 97);
  IEBox = new IEPaintBox(IEPanel);
  IEBox->setGeometry(0, 0, ArrowStripWidth, 97);
  makeLabel(IEPanel, "ILabel", "I", QRect(ArrowLabelLeft, ILabelTop, 12, LabelHeight));
  ELabel = makeLabel(IEPanel, "ELabel", "E", QRect(ArrowLabelLeft, ELabelTop, 12, LabelHeight));
  IEPanel->hide();
  AxisPanel = new QFrame(client);
  AxisPanel->setObjectName("AxisPanel");
  AxisPanel->setGeometry(40, 320, 441, 17);
  AxisLabels[0] = makeLabel(AxisPanel, "AxisLabel0", "", QRect(0, 0, 49, LabelHeight));
  for (int i = 1; i <= 3; ++i)
    AxisLabels[i] = makeLabel(AxisPanel, QString("AxisLabel%1").arg(i), "", QRect(76 + 100 * (i - 1), 0, 49, LabelHeight),
                              Qt::AlignCenter);
  AxisLabels[4] = makeRightLabel(AxisPanel, "AxisLabel4", "", 400, 0);
  AxisPanel->hide();
}

}  // namespace vode
