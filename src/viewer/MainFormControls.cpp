// The handlers of the main window's controls: zoom buttons, the flow display
// toggle, channel and spectrum choices, the tagged-segment arrows, the panes'
// mouse and the hair-line cursor.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "workspace/DisplayLogic.h"
#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"
#include "viewer/PowerPanel.h"

namespace vode {

void TMainForm::connectControls() {
  connect(ScrollBar, &QScrollBar::valueChanged, this, [this](int value) { set_current_segment(value); });
  connect(ZoomInX, &QPushButton::clicked, this, [this] { ZoomInXClick(); });
  connect(ZoomOutX, &QPushButton::clicked, this, [this] { ZoomOutXClick(); });
  connect(ZoomInY, &QPushButton::clicked, this, [this] { ZoomInYClick(); });
  connect(ZoomOutY, &QPushButton::clicked, this, [this] { ZoomOutYClick(); });
  connect(VolumeButton, &QPushButton::clicked, this, [this] { VolumeButtonClick(); });
  // Items follow what checks them, a click or an assistive tool's toggle
  // action (which sends no click); a check the window makes itself already
  // matches its state.
  connect(channelButtons_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (on && id != state_.CurrentChannel && doc_.recording && doc_.recording->channelCount <= 2) ChooseChannel(id);
  });
  connect(ChannelComboBox, &QComboBox::activated, this, [this](int index) { ChooseChannel(index); });
  connect(psdButtons_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (on && id != state_.PsdChoice) SetPsdChoice(id);
  });
  connect(PrevBitBtn, &QPushButton::clicked, this, [this] { StepTagged(-1); });
  connect(NextBitBtn, &QPushButton::clicked, this, [this] { StepTagged(+1); });
  connect(WheezesCheckBox, &QCheckBox::clicked, this, [this] { WheezesClick(); });
  connect(CracklesCheckBox, &QCheckBox::clicked, this, [this] { CracklesClick(); });
  connect(PlayBitBtn, &QPushButton::clicked, this, [this] { PlayBitBtnClick(); });
  connect(StopBitBtn, &QPushButton::clicked, this, [this] { StopBitBtnClick(); });
  connect(DATimer, &QTimer::timeout, this, [this] { DATimerTimer(); });

  // The time-aligned panes select under a mouse press, the tag strip tags,
  // and a drag from the flow or large pane (or the strip without tags) marks
  // a range to play; the large pane only in Sonogram view.
  for (PaneWidget* pane : {FlowBox, SonoBox, TagBox})
    connect(pane, &PaneWidget::pressed, this,
            [this, pane](QPoint pos, Qt::MouseButton, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
              paneMousePress(pane, pos, buttons, modifiers);
            });
  // The small panes switch the large pane's view on a click.
  connect(TimeBox, &PaneWidget::released, this, [this](QPoint pos, Qt::MouseButton button) {
    if (button == Qt::LeftButton && TimeBox->logicalRect().contains(pos)) TimeBoxClick();
  });
  connect(FreqBox, &PaneWidget::released, this, [this](QPoint pos, Qt::MouseButton button) {
    if (button == Qt::LeftButton && FreqBox->logicalRect().contains(pos)) FreqBoxClick();
  });
  for (PaneWidget* pane : {FlowBox, SonoBox, TagBox, TimeBox, FreqBox}) {
    connect(pane, &PaneWidget::moved, this,
            [this, pane](QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
              paneMouseMove(pane, pos, buttons, modifiers);
            });
    connect(pane, &PaneWidget::released, this, [this, pane](QPoint pos) { paneMouseRelease(pane, pos); });
    connect(pane, &PaneWidget::left, pane, &PaneWidget::eraseCursorLine);
    connect(pane, &PaneWidget::left, this, [this, pane] {
      if (hoverPane_ == pane) hoverPane_ = nullptr;
    });
  }
}

void TMainForm::applyWaveformTimeChange() {
  applySettings(state_, doc_.preferences);
  EraseCursorLine();
  SetFlowShape();
  repaintPane(SonoBox);
}

void TMainForm::ZoomInXClick() {
  if (powerPanel_->zoomChart(true)) return;
  switch (state_.ViewMode) {
    case SonogramView:
      stepTimeIndex(doc_.preferences, -1);
      refresh_to_prefs();
      break;
    case WaveformView:
      if (stepWaveformIndex(doc_.preferences, -1)) applyWaveformTimeChange();
      break;
    default:
      frequencyZoom(-1);
  }
}

void TMainForm::ZoomOutXClick() {
  if (powerPanel_->zoomChart(false)) return;
  switch (state_.ViewMode) {
    case SonogramView:
      stepTimeIndex(doc_.preferences, +1);
      refresh_to_prefs();
      break;
    case WaveformView:
      if (stepWaveformIndex(doc_.preferences, +1)) applyWaveformTimeChange();
      break;
    default:
      frequencyZoom(+1);
  }
}

void TMainForm::ZoomInYClick() {
  if (powerPanel_->zoomChart(true)) return;
  switch (state_.ViewMode) {
    case SonogramView:
      frequencyZoom(-1);
      break;
    case WaveformView:
      stepAmplitudeIndex(doc_.preferences, -1);
      adjust_to_prefs();
      repaintPane(SonoBox);
      repaintPane(TimeBox);
      break;
    default:
      stepDbScaleIndex(doc_.preferences, -1);
      adjust_to_prefs();
      repaintPane(SonoBox);
  }
}

void TMainForm::ZoomOutYClick() {
  if (powerPanel_->zoomChart(false)) return;
  switch (state_.ViewMode) {
    case SonogramView:
      frequencyZoom(+1);
      break;
    case WaveformView:
      stepAmplitudeIndex(doc_.preferences, +1);
      adjust_to_prefs();
      repaintPane(SonoBox);
      repaintPane(TimeBox);
      break;
    default:
      stepDbScaleIndex(doc_.preferences, +1);
      adjust_to_prefs();
      repaintPane(SonoBox);
  }
}

void TMainForm::frequencyZoom(int direction) {
  if (!stepFrequencyIndex(doc_.preferences, direction)) return;
  adjust_to_prefs();
  repaintPane(SonoBox);
  repaintPane(FreqBox);
  // The sonogram repaints again with the new images when they are made.
  workspace_->rebuildImages();
}

void TMainForm::VolumeButtonClick() {
  doc_.preferences.flowDisplay = nextFlowDisplay(state_.FlowDisplay, doc_.averages != nullptr);
  adjust_to_prefs();
  repaintPane(FlowBox);
  if (state_.ViewMode == WaveformView) repaintPane(SonoBox);
  set_current_segment(state_.CurrentSegment);
}

void TMainForm::ChooseChannel(int channel) {
  const int channels = doc_.recording ? doc_.recording->channelCount : 0;
  if (channel > channels - 1) channel = std::max(channels - 1, 0);
  state_.CurrentChannel = static_cast<int16_t>(std::max(channel, 0));
  if (channels <= 2) {
    ChannelRadio[std::clamp<int>(state_.CurrentChannel, 0, 1)]->setChecked(true);
  } else {
    const QSignalBlocker quiet(ChannelComboBox);
    ChannelComboBox->setCurrentIndex(state_.CurrentChannel);
  }
  updateWheezesEnabled();
  if (state_.FlowDisplay == 2) {
    repaintPane(FlowBox);
    powerPanel_->UpdateChart();
  }
  repaintPane(SonoBox);
  repaintPane(TagBox);
  repaintPane(TimeBox);
  repaintPane(FreqBox);
}

void TMainForm::SetPsdChoice(int choice) {
  state_.PsdChoice = std::clamp(choice, static_cast<int>(PsdSingle), static_cast<int>(PsdAll));
  PsdRadio[state_.PsdChoice]->setChecked(true);
  repaintPane(FreqBox);
  if (state_.ViewMode == SpectrumView) repaintPane(SonoBox);
  if (state_.PsdChoice == PsdSingle) {
    PrevBitBtn->setToolTip("Previous tagged segment");
    NextBitBtn->setToolTip("Next tagged segment");
  } else if (state_.PsdChoice == PsdBreath) {
    PrevBitBtn->setToolTip("Previous tagged breath");
    NextBitBtn->setToolTip("Next tagged breath");
  }
  PrevBitBtn->setEnabled(state_.PsdChoice != PsdAll);
  NextBitBtn->setEnabled(state_.PsdChoice != PsdAll);
}

void TMainForm::StepTagged(int direction) {
  if (!doc_.phaseTable || !doc_.tagTable || !doc_.recording) return;
  ScrollBar->setValue(stepTaggedTarget(doc_, state_, direction));
}

void TMainForm::WheezesClick() {
  state_.WheezesChecked = WheezesCheckBox->isChecked();
  repaintPane(SonoBox);
}

void TMainForm::SelectSegmentAt(int paneX) {
  // The panes ignore presses while playback runs.
  if (!doc_.hasRecording() || paneX < 0 || state_.Playing) return;
  EraseCursorLine();
  ScrollBar->setValue(paneX / state_.SegmentPixels + state_.FirstSegment);
}

void TMainForm::TrackCursorLine(PaneWidget* pane, int x) {
  for (PaneWidget* other : {FlowBox, SonoBox, TagBox, TimeBox, FreqBox})
    if (other != pane) other->eraseCursorLine();
  pane->showCursorLine(x);
}

void TMainForm::EraseCursorLine() {
  for (PaneWidget* pane : {FlowBox, SonoBox, TagBox, TimeBox, FreqBox}) pane->eraseCursorLine();
}

}  // namespace vode
