// The display state of the main window and the controls that show it: the
// current segment and paging, the labels, the markers and the three views of
// the large pane.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "workspace/DisplayLogic.h"
#include "viewer/MainForm.h"
#include "viewer/WindowScale.h"
#include "viewer/PaneWidget.h"
#include "viewer/PowerPanel.h"

namespace vode {

namespace {

QString fixed(double value, int decimals) { return QString::fromStdString(formatFixed(value, decimals)); }

// Record texts are stored as single bytes.
QString recordText(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<int>(text.size())); }

constexpr int ChannelItemLength = 24;

}  // namespace

void TMainForm::repaintPane(PaneWidget* pane) {
  // The line panes start a repaint by removing the hair-line cursor, wherever
  // it is; the tag strip and the colour bar leave it alone.
  if (pane != TagBox && pane != DBBox) EraseCursorLine();
  pane->update();
}

void TMainForm::repaintTimeAligned() {
  repaintPane(FlowBox);
  repaintPane(SonoBox);
  repaintPane(TagBox);
  // A new page or scale moves the segment under the play line.
  placePlayLine();
}

void TMainForm::placeMarker(MarkerFrame* marker, PaneWidget* pane, int left, int width) {
  // Marker lefts count in the pane's frame, whose one-pixel border puts the
  // outline one pixel outside the segment's cells. Natural coordinates: the
  // window scales them with everything else.
  const int frameLeft = scale_->naturalGeometry(pane->parentWidget()).x();
  const QRect now = scale_->naturalGeometry(marker);
  scale_->setNaturalGeometry(marker, QRect(frameLeft + left, now.y(), width, now.height()));
}

void TMainForm::set_current_segment(int32_t n) {
  const Recording* recording = doc_.recording.get();
  if (!recording || !recording->hasSamples(state_.CurrentChannel) || recording->segmentCount <= 0) {
    SegmentStatus->setText("No file loaded");
    CursorStatus->setText("N/A");
    LeftTimeLabel->setText("0.0s");
    RightTimeLabel->setText(fixed(state_.SonoSeconds, 1) + "s");
    // UpdateScreen's -1 must not stay behind for the painters.
    state_.CurrentSegment = std::max(state_.CurrentSegment, 0);
    return;
  }
  n = std::clamp(n, 0, recording->segmentCount - 1);
  EraseCursorLine();
  state_.CurrentSegment = n;

  const int32_t first = pagedFirstSegment(n, state_.FirstSegment, state_.segmentsPerScreen());
  const bool paged = first != state_.FirstSegment;
  state_.FirstSegment = first;

  sonoShapeLeft_ = (n - first) * state_.SegmentPixels;
  placeMarker(SonoShape, SonoBox, sonoShapeLeft_, scale_->naturalGeometry(SonoShape).width());
  SetFlowShape();
  placeMarker(TagShape, TagBox, sonoShapeLeft_, scale_->naturalGeometry(TagShape).width());

  SegmentStatus->setText(QString::fromStdString(segmentStatusText(doc_, state_, n)));

  repaintPane(TimeBox);
  repaintPane(FreqBox);
  if (state_.ViewMode != SonogramView) repaintPane(SonoBox);
  if (state_.ViewMode != WaveformView) {
    LeftTimeLabel->setText(fixed(first / 10.0, 1) + "s");
    RightTimeLabel->setText(fixed((first + state_.segmentsPerScreen()) / 10.0, 1) + "s");
  }
  if (paged) repaintTimeAligned();

  const QSignalBlocker quiet(ScrollBar);
  ScrollBar->setValue(n);
}

void TMainForm::SetFlowShape() {
  const FlowShapeGeometry g = flowShapeGeometry(state_, sonoShapeLeft_);
  placeMarker(FlowShape, FlowBox, g.left, g.width);
  ScrollBar->setPageStep(g.largeStep);
}

void TMainForm::UpdateScreen() {
  ScrollBar->setMinimum(0);
  state_.CurrentSegment = -1;
  if (ScrollBar->value() != 0)
    ScrollBar->setValue(0);  // selects segment 0
  else
    set_current_segment(0);
  if (const Recording* recording = doc_.recording.get()) {
    ScrollBar->setMaximum(std::max(recording->segmentCount - 1, 0));
    setCaption("R.E.Z.U. Vode - " + QString::fromStdString(doc_.state.currentFileName));
  } else {
    ScrollBar->setMaximum(0);
    setCaption("R.E.Z.U. Vode");
    repaintPane(TimeBox);
    repaintPane(FreqBox);
  }
  repaintTimeAligned();
}

void TMainForm::adjust_to_prefs() {
  applySettings(state_, doc_.preferences);
  const ChannelSetup& setup = doc_.channelSetup;

  // Scales of the flow pane.
  FlowMaxLabel->setText(fixed(setup.flowFullScale, 1));
  FlowMinLabel->setText(fixed(-setup.flowFullScale, 1));
  VolumeMaxLabel->setText(fixed(setup.volumeFullScale, 1));
  VolumeMinLabel->setText(fixed(-setup.volumeFullScale, 1));

  // Titles.
  if (doc_.isResp()) {
    FlowTitleLabel->setText("Respiration");
    FlowUnitsLabel->setText("Volts");
  } else {
    FlowUnitsLabel->setText(doc_.preferences.flowHoldsPower ? "P" : "L/s");
    FlowTitleLabel->setText(state_.FlowDisplay == 1   ? "Flow and Volume"
                            : state_.FlowDisplay == 2 ? "Flow and Power"
                                                      : "Flow");
  }

  // Amplitude of the waveform panes.
  const double volts = amplitudeVolts(state_.AmplitudeIndex, doc_.peakAmplitude);
  VoltsMaxLabel->setText(fixed(volts, 1));
  VoltsMinLabel->setText(fixed(-volts, 1));
  state_.AmplitudeCounts = amplitudeCountsFor(volts);
  if (state_.ViewMode == WaveformView) enterWaveformLabels();

  // Frequency range and time scale.
  FreqLabel->setText(QString::number(state_.MaxFrequency));
  const int markerWidth = state_.SegmentPixels + 2;
  QRect marker = scale_->naturalGeometry(SonoShape);
  scale_->setNaturalGeometry(SonoShape, marker.adjusted(0, 0, markerWidth - marker.width(), 0));
  SetFlowShape();
  marker = scale_->naturalGeometry(TagShape);
  scale_->setNaturalGeometry(TagShape, marker.adjusted(0, 0, markerWidth - marker.width(), 0));

  adjustChannelChoice();

  if (state_.ViewMode == SonogramView)
    reset_sonogram();
  else if (state_.ViewMode == SpectrumView)
    reset_db_labels();

  VolumeButton->setEnabled(!doc_.isResp());
  VolumeMaxLabel->setVisible(state_.FlowDisplay == 1);
  VolumeMinLabel->setVisible(state_.FlowDisplay == 1);
  applyPowerDisplayVisibility();

  updateWheezesEnabled();
}

void TMainForm::adjustChannelChoice() {
  const Recording* recording = doc_.recording.get();
  const int channels = recording ? recording->channelCount : 0;
  const ChannelSetup& setup = doc_.channelSetup;
  if (channels <= 2) {
    ChannelComboBox->hide();
    for (QRadioButton* item : ChannelRadio) item->show();
    ChannelRadioGroup->setEnabled(recording != nullptr);
    ChannelRadio[0]->setText(("&1: " + recordText(setup.channelNames[0].str())).left(ChannelItemLength));
    const std::string second = setup.channelNames[1].str();
    ChannelRadio[1]->setText(second.empty() ? QString("&2: not available")
                                            : ("&2: " + recordText(second)).left(ChannelItemLength));
    ChannelRadio[std::clamp<int>(state_.CurrentChannel, 0, 1)]->setChecked(true);
  } else {
    ChannelRadioGroup->setEnabled(false);
    // The list lies over the two items, which would show around its edges.
    for (QRadioButton* item : ChannelRadio) item->hide();
    const QSignalBlocker quiet(ChannelComboBox);
    ChannelComboBox->clear();
    // One line per channel, in channel order, so the line number is the
    // channel; an unnamed channel is an empty line.
    for (int c = 0; c < channels && c < MaxChannelNames; ++c)
      ChannelComboBox->addItem(recordText(setup.channelNames[c].str()));
    ChannelComboBox->setCurrentIndex(state_.CurrentChannel);
    ChannelComboBox->setEnabled(true);
    ChannelComboBox->show();
    ChannelComboBox->raise();
  }
}

void TMainForm::labelTwoChannels() {
  const ChannelSetup& setup = doc_.channelSetup;
  ChannelRadio[0]->setText(("&1: " + recordText(setup.channelNames[0].str())).left(ChannelItemLength));
  ChannelRadio[1]->setText(("&2: " + recordText(setup.channelNames[1].str())).left(ChannelItemLength));
  ChannelRadio[std::clamp<int>(state_.CurrentChannel, 0, 1)]->setChecked(true);
}

void TMainForm::updateWheezesEnabled() {
  const bool scores = doc_.wheezeMap && doc_.wheezeMap->hasScores(state_.CurrentChannel);
  WheezesCheckBox->setEnabled(scores);
  if (!scores) {
    const QSignalBlocker quiet(WheezesCheckBox);
    WheezesCheckBox->setChecked(false);
  }
  state_.WheezesChecked = WheezesCheckBox->isChecked();
}

void TMainForm::applyPowerDisplayVisibility() {
  const bool power = state_.FlowDisplay == 2;
  powerPanel_->applyVisibility();
  for (QWidget* w : std::initializer_list<QWidget*>{PSDRadioGroup, PrevBitBtn, NextBitBtn, YLabel, SonoLabels[0],
                                                    SonoLabels[1], SonoLabels[2], SonoLabels[3], SonoLabels[4]})
    w->setVisible(!power);
}

void TMainForm::refresh_to_prefs() {
  state_.PlayFirst = -1;
  repaintTimeAligned();
  adjust_to_prefs();
  set_current_segment(state_.CurrentSegment);
}

void TMainForm::setLargePaneLabels(const QStringList& topToBottom) {
  for (int i = 0; i < 5 && i < topToBottom.size(); ++i) SonoLabels[i]->setText(topToBottom[i]);
}

void TMainForm::setLargePaneHints(bool on) {
  SonoBox->setToolTip(on ? "Click to select current segment" : QString());
}

void TMainForm::enterWaveformLabels() {
  const double volts = amplitudeVolts(state_.AmplitudeIndex, doc_.peakAmplitude);
  setLargePaneLabels({"Volts", fixed(volts / 2, 1), "0.0", fixed(-volts / 2, 1), VoltsMinLabel->text()});
}

void TMainForm::reset_sonogram() {
  const int top = state_.MaxFrequency;
  setLargePaneLabels({"Hz", QString::number(3 * top / 4), QString::number(top / 2), QString::number(top / 4), "0"});
  setLargePaneHints(true);
  SonoShape->show();
  state_.ViewMode = SonogramView;
  TimeBox->setToolTip("Click to zoom");
  FreqBox->setToolTip("Click to zoom");
  set_current_segment(state_.CurrentSegment);
}

void TMainForm::reset_db_labels() {
  const DbLabels db = dbLabels(state_);
  setLargePaneLabels({"dB", QString::number(db.top - db.step), QString::number(db.top - 2 * db.step),
                      QString::number(db.top - 3 * db.step), QString::number(db.top - 4 * db.step)});
}

void TMainForm::TimeBoxClick() {
  if (!doc_.hasRecording()) return;
  if (state_.ViewMode == WaveformView) {
    reset_sonogram();
  } else {
    SonoShape->hide();
    enterWaveformLabels();
    setLargePaneHints(false);
    TimeBox->setToolTip("Click to unzoom");
    FreqBox->setToolTip("Click to zoom");
    state_.ViewMode = WaveformView;
  }
  SetFlowShape();
  repaintPane(SonoBox);
}

void TMainForm::FreqBoxClick() {
  if (!doc_.hasRecording() || !doc_.spectra) return;
  const bool leavingWaveform = state_.ViewMode == WaveformView;
  if (state_.ViewMode == SpectrumView) {
    reset_sonogram();
  } else {
    SonoShape->hide();
    setLargePaneHints(false);
    FreqBox->setToolTip("Click to unzoom");
    TimeBox->setToolTip("Click to zoom");
    state_.ViewMode = SpectrumView;
    reset_db_labels();
    // The edge times still showed the expanded waveform's window.
    if (leavingWaveform) {
      LeftTimeLabel->setText(fixed(state_.FirstSegment / 10.0, 1) + "s");
      RightTimeLabel->setText(fixed((state_.FirstSegment + state_.segmentsPerScreen()) / 10.0, 1) + "s");
    }
  }
  SetFlowShape();
  repaintPane(SonoBox);
}

void TMainForm::resetViewer() {
  stopPlayback(false);
  state_.PlayFirst = state_.PlayLast = -1;
  setCaption("R.E.Z.U. Vode");
  state_.CurrentChannel = 0;
  state_.CurrentSegment = 0;
  state_.FirstSegment = 0;
  state_.ViewMode = SonogramView;
  state_.Dragging = false;
  state_.MultiTagging = false;
  TagLabel->clear();
  SetPsdChoice(PsdSingle);
  {
    const QSignalBlocker quiet(WheezesCheckBox);
    WheezesCheckBox->setChecked(false);
  }
  state_.WheezesChecked = false;
  applySettings(state_, doc_.preferences);
  reset_sonogram();
}

}  // namespace vode
