// Playback of the current channel: the range, the sound output, the 20 ms
// tick that moves the play line over the flow pane and the large pane, and
// the rate check at the end.
#include <QLabel>
#include <QTimer>
#include <cmath>

#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"
#include "viewer/Panes.h"
#include "workspace/PlayRange.h"
#include "workspace/Shown.h"

namespace vode {

namespace {

// Further off than this, the sound card did not play at the recording's rate.
constexpr double RateTolerance = 0.2;

// For an output that failed without saying why.
constexpr const char* OutputFailed = "The sound output failed.";

}  // namespace

void TMainForm::usePlayback(std::unique_ptr<AudioOutput> output, std::unique_ptr<Clock> clock) {
  stopPlayback(false);
  audio_ = std::move(output);
  clock_ = std::move(clock);
}

void TMainForm::PlayBitBtnClick() {
  if (state_.Playing || busy()) return;
  const Recording* recording = doc_.recording.get();
  if (!recording || !recording->hasSamples(state_.CurrentChannel)) return;
  // In Waveform view the window the large pane shows.
  const std::optional<WaveWindow> wave = shownWave(doc_, state_);
  if (!choosePlayRange(state_, recording->segmentCount, wave ? &*wave : nullptr)) return;

  state_.PlayChannel = state_.CurrentChannel;
  state_.PlayCounter = state_.PlayFirst;
  XorPlayCounter(state_.PlayCounter);

  // What the recording holds now: edits since the last play are heard.
  const bool started = audio_->open(recording->sound[state_.PlayChannel], SoundRate) &&
                       audio_->play(static_cast<int64_t>(state_.PlayFirst) * 100);
  // The sound server may start the sound a good while after play() returns:
  // the clock starts when the output first reports sound heard.
  playStartTick_ = -1;
  playStartMs_ = static_cast<int64_t>(state_.PlayFirst) * 100;
  // Zooming while playing forgets the range; the check keeps the one played.
  playExpectedSeconds_ = expectedPlaySeconds(state_);
  if (!started) {
    const std::string failure = audio_->errorText();
    audio_->close();
    XorPlayCounter(state_.PlayCounter);
    state_.PlayCounter = -1;
    prompter_.message(MessageKind::Error, failure.empty() ? OutputFailed : failure);
    return;
  }
  state_.Playing = true;
  DATimer->start();
}

void TMainForm::DATimerTimer() {
  if (!state_.Playing) return;
  const int64_t position = audio_->position();
  const std::string failure = audio_->errorText();
  if (position < 0 || !failure.empty()) {
    StopBitBtnClick();
    prompter_.message(MessageKind::Error, failure.empty() ? OutputFailed : failure);
    return;
  }
  if (playStartTick_ < 0 && position > playStartMs_) playStartTick_ = clock_->nowMs();
  if (state_.PlayCounter < position / 100) ProcessDABuffer();
}

void TMainForm::ProcessDABuffer() {
  if (state_.PlayCounter < state_.PlayLast) {
    XorPlayCounter(state_.PlayCounter);
    ++state_.PlayCounter;
    XorPlayCounter(state_.PlayCounter);
  } else {
    StopBitBtnClick();
  }
}

void TMainForm::StopBitBtnClick() { stopPlayback(true); }

void TMainForm::stopPlayback(bool checkRate) {
  if (!state_.Playing) return;
  audio_->stop();
  audio_->close();
  DATimer->stop();
  state_.Playing = false;
  playingDraggedRange_ = false;
  XorPlayCounter(state_.PlayCounter);

  const bool complete = state_.PlayCounter >= state_.PlayLast;
  state_.PlayCounter = -1;
  if (!complete || !checkRate || playStartTick_ < 0) return;
  const double elapsed = static_cast<double>(clock_->nowMs() - playStartTick_) / 1000.0;
  const double expected = playExpectedSeconds_;
  if (std::fabs(elapsed - expected) > RateTolerance)
    prompter_.message(MessageKind::Warning,
                      QString::asprintf(playRateWarningFormat(), elapsed, expected).toStdString());
}

void TMainForm::playAfterLoading() {
  if (!playAfterOpening_) return;
  if (!audio_->hasDevice()) {
    CursorStatus->setText("No sound output device");
    return;
  }
  PlayBitBtnClick();
}

void TMainForm::beginRangeDrag(int paneX) {
  if (!doc_.hasRecording() || paneX < 0 || state_.Playing) return;
  SelectSegmentAt(paneX);
  state_.Dragging = true;
  XorPlayCounter(state_.PlayCounter);
  state_.PlayCounter = -1;
}

void TMainForm::moveRangeDrag(int paneX) {
  if (!state_.Dragging) return;
  XorPlayCounter(state_.PlayCounter);
  const int32_t s = paneX / state_.SegmentPixels + state_.FirstSegment;
  state_.PlayCounter = s == state_.CurrentSegment ? -1 : s;
  XorPlayCounter(state_.PlayCounter);
}

void TMainForm::endRangeDrag(int paneX) {
  if (!state_.Dragging) return;
  XorPlayCounter(state_.PlayCounter);
  state_.Dragging = false;
  state_.PlayCounter = -1;
  const int32_t s = paneX / state_.SegmentPixels + state_.FirstSegment;
  state_.SelectFrom = state_.CurrentSegment;
  state_.SelectTo = s;
  if (s <= state_.CurrentSegment) return;  // leftwards only selects
  state_.PlayFirst = state_.CurrentSegment;
  state_.PlayLast = s;
  playingDraggedRange_ = true;
  PlayBitBtnClick();
  if (!state_.Playing) playingDraggedRange_ = false;
  placePlayLine();
}

void TMainForm::XorPlayCounter(int32_t s) {
  if (s < 0) return;
  setPlayLine(playLineSegment_ == s ? -1 : s);
}

void TMainForm::setPlayLine(int32_t s) {
  playLineSegment_ = s;
  placePlayLine();
}

void TMainForm::placePlayRange() {
  // A drag rightwards chooses a range to play; it stays shaded while heard.
  int32_t first = -1, last = -1;
  if (state_.Dragging && state_.PlayCounter > state_.CurrentSegment) {
    first = state_.CurrentSegment;
    last = state_.PlayCounter;
  } else if (state_.Playing && playingDraggedRange_) {
    first = static_cast<int32_t>(playStartMs_ / 100);
    last = state_.PlayLast;
  }
  const int left = (first - state_.FirstSegment) * state_.SegmentPixels;
  const int right = first < 0 ? left : (last + 1 - state_.FirstSegment) * state_.SegmentPixels;
  FlowBox->showRange(left, right);
  if (state_.ViewMode == SonogramView)
    SonoBox->showRange(left, right);
  else
    SonoBox->showRange(0, 0);
}

void TMainForm::placePlayLine() {
  placePlayRange();
  if (playLineSegment_ < 0) {
    FlowBox->showPlayLine(-1);
    SonoBox->showPlayLine(-1);
    return;
  }
  FlowBox->showPlayLine(playLineX(state_, playLineSegment_));
  const std::optional<WaveWindow> wave = shownWave(doc_, state_);
  SonoBox->showPlayLine(largePlayLineX(state_, playLineSegment_, SonoBox->logicalSize().width(), wave ? &*wave : nullptr));
}

}  // namespace vode
