// A hand-filled document, a display state and a palette for painting and
// read-out tests, independent of the analysis code.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "viewer/Panes.h"

namespace vode::test {

class PaintFixture : public ::testing::Test {
 protected:
  Document doc;
  DisplayState state;
  WindowPalette palette = makeWindowPalette(Palette::grey());
  PaneContext ctx{doc, state, palette};
  PaneSet panes{ctx};
  LargePane& largePane = panes.large;
  TagStripPane& tagStrip = panes.tagStrip;
  SpectrumPane& spectrumPane = panes.spectrum;
  PaintOutcome outcome;

  // A recording of zero samples, zero flow and volume, airflow kind, 1.5 L/s
  // and 1.0 L full scales.
  Recording& makeRecording(int segments, int channels) {
    doc.recording = std::make_unique<Recording>(Recording::create(segments, channels));
    doc.recording->volume.assign(doc.recording->flow.size(), 0);
    doc.channelSetup.flowFullScale = 1.5f;
    doc.channelSetup.volumeFullScale = 1.0f;
    return *doc.recording;
  }

  // Spectra for the recording with every power value set.
  SegmentSpectra& makeSpectra(float power) {
    doc.spectra = std::make_unique<SegmentSpectra>();
    doc.spectra->create(doc.recording->segmentCount, doc.recording->channelCount);
    std::fill(doc.spectra->powerData.begin(), doc.spectra->powerData.end(), power);
    return *doc.spectra;
  }

  TagTable& makeTags() {
    doc.tagTable = std::make_unique<TagTable>();
    doc.tagTable->create(doc.recording->channelCount, doc.recording->segmentCount);
    return *doc.tagTable;
  }

  // Time axis for a number of seconds per screen on the 400-pixel panes.
  void setSeconds(int seconds, int firstSegment = 0) {
    state.SonoSeconds = seconds;
    state.SegmentPixels = static_cast<int16_t>(400 / (seconds * 10));
    state.FirstSegment = firstSegment;
  }

  PaneView& view(Pane pane) { return panes[pane]; }

  QImage render(Pane pane, qreal dpr = 1.0) { return view(pane).render(dpr, &outcome); }

  // The cursor status over a pane, "<unchanged>" when it keeps its text.
  QString read(Pane pane, QPoint pos) {
    const Readout r = view(pane).readout(paneSize(pane), pos);
    return r.status ? *r.status : QStringLiteral("<unchanged>");
  }

  // Colour of a logical pixel (its top-left device pixel).
  static QColor at(const QImage& image, int x, int y) {
    const qreal dpr = image.devicePixelRatio();
    return QColor(image.pixel(static_cast<int>(x * dpr), static_cast<int>(y * dpr)));
  }

  // Number of logical pixels in column x (or row y) with the given colour.
  static int countInColumn(const QImage& image, int x, const QColor& colour, int height) {
    int n = 0;
    for (int y = 0; y < height; ++y) n += at(image, x, y) == colour;
    return n;
  }
  static int countInPane(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += QColor(image.pixel(x, y)) == colour;
    return n;
  }
};

inline const QColor PaneFace{0xC0, 0xC0, 0xC0};

inline QString statusOf(const Readout& r) { return r.status ? *r.status : QStringLiteral("<unchanged>"); }

// Read-outs: sound rising by one count per sample within each segment (2.50 V
// in the middle of segment 3), flow rising by 10 mL/s and volume falling by
// 1 mL per breath sample.
class Readouts : public PaintFixture {
 protected:
  void SetUp() override {
    Recording& rec = makeRecording(20, 2);
    for (int i = 0; i < rec.soundSampleCount; ++i) rec.sound[0][i] = static_cast<int16_t>(i % 1024);
    rec.sound[0][3 * 1024 + 512] = 16384;  // 2.50 V
    for (int i = 0; i < rec.flowSampleCount; ++i) {
      rec.flow[i] = static_cast<int16_t>(10 * i);
      rec.volume[i] = static_cast<int16_t>(-i);
    }
  }
  const QSize flowPane = paneSize(Pane::Flow);
  const QSize sonoPane = paneSize(Pane::Sono);
  const QSize timePane = paneSize(Pane::Time);
  const QSize freqPane = paneSize(Pane::Freq);
};


}  // namespace vode::test
