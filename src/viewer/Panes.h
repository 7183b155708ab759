// The six panes of the main window, one object each (see PaneView.h).
#pragma once

#include "viewer/PaneView.h"
#include "viewer/SpectrumPlot.h"

namespace vode {

// FlowBox: flow, volume or band-power trace over the screen of the time axis.
class FlowPane : public PaneView {
 public:
  explicit FlowPane(const PaneContext& context) : PaneView(Pane::Flow, context) {}
  PaintOutcome paint(QPainter& p, QSize pane, QRect invalid) override;
  Readout readout(QSize pane, QPoint pos) const override;
};

// SonoBox: the sonogram (or wheeze) image, the expanded waveform around the
// current segment or the expanded spectrum, by ViewMode. Paint and read-out
// both take what is shown from the model (workspace/Shown.h).
class LargePane : public PaneView {
 public:
  explicit LargePane(const PaneContext& context) : PaneView(Pane::Sono, context) {}
  PaintOutcome paint(QPainter& p, QSize pane, QRect invalid) override;
  Readout readout(QSize pane, QPoint pos) const override;

 private:
  void paintSonogram(QPainter& p, QSize pane);
  void paintWaveform(draw::LineCanvas& canvas, QSize pane, const WaveWindow& w, PaintOutcome& outcome);
  Readout sonogramReadout(QPoint pos) const;
  Readout waveformReadout(QSize pane, QPoint pos) const;
};

// What a press or a drag over the tag strip does to a segment.
enum class TagGesture { Include, Background, Exclude, Clear, SelectOnly };

// TagBox: one cell per segment coloured by its phase and flags; a press or a
// drag with a button held tags the segments it passes.
class TagStripPane : public PaneView {
 public:
  // The gesture of a shift state, the buttons held and the modifier keys
  // together: left alone includes, with Shift makes background, with Ctrl
  // excludes; right alone clears; anything else only selects.
  static TagGesture gestureFor(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

  explicit TagStripPane(const PaneContext& context) : PaneView(Pane::Tag, context) {}
  // Paints only the invalid region: a tag edit repaints a few cells.
  PaintOutcome paint(QPainter& p, QSize pane, QRect invalid) override;
  // The phase word and one flag word, or "N/A".
  Readout readout(QSize pane, QPoint pos) const override;
  // The segment under pane column x, or -1 left of the pane.
  int32_t segmentAt(int x) const;
};

// Colour of a tag-strip cell; invalid (not painted) for an untagged, unflagged
// segment. Later rules override earlier ones: phase, then crackles (only
// while they are shown), wheeze, rejected, clipped.
QColor tagColour(uint8_t phase, uint8_t flags, bool crackles = false);
// The lines the tag strip draws at estimated breath-cycle boundaries.
extern const QColor CycleMarkColour;

// TimeBox: the waveform of the current segment.
class WaveformPane : public PaneView {
 public:
  explicit WaveformPane(const PaneContext& context) : PaneView(Pane::Time, context) {}
  PaintOutcome paint(QPainter& p, QSize pane, QRect invalid) override;
  Readout readout(QSize pane, QPoint pos) const override;
};

// FreqBox: the spectrum choice of the current segment.
class SpectrumPane : public PaneView {
 public:
  explicit SpectrumPane(const PaneContext& context) : PaneView(Pane::Freq, context) {}
  PaintOutcome paint(QPainter& p, QSize pane, QRect invalid) override;
  Readout readout(QSize pane, QPoint pos) const override;
};

// DBBox: the dB colour bar, palette index 63 at the top and 0 at the bottom.
class DbBarPane : public PaneView {
 public:
  explicit DbBarPane(const PaneContext& context) : PaneView(Pane::DB, context) {}
  PaintOutcome paint(QPainter& p, QSize pane, QRect invalid) override;
};

// The six panes of one window over one document.
struct PaneSet {
  explicit PaneSet(const PaneContext& context)
      : flow(context), large(context), tagStrip(context), waveform(context), spectrum(context), dbBar(context) {}

  PaneView& operator[](Pane pane);

  FlowPane flow;
  LargePane large;
  TagStripPane tagStrip;
  WaveformPane waveform;
  SpectrumPane spectrum;
  DbBarPane dbBar;
};

}  // namespace vode
