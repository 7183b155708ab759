// The large pane: sonogram (or wheeze) image, expanded waveform or expanded
// spectrum.
#include <algorithm>
#include <cstring>

#include "viewer/PaintRoutines.h"
#include "viewer/PaneDrawing.h"

namespace vode {
namespace {

constexpr int CopiedRows = 240;  // rows 0..239 of the image fill the pane

bool usable(const IndexedImage& image) {
  return image.width > 0 && image.height > 0 &&
         image.pixels.size() >= static_cast<size_t>(image.width) * image.height;
}

// The image shown: the wheeze image while Wheezes is checked, else the
// sonogram; a channel the wheeze detector made no image for shows its
// sonogram. Null when the channel has neither.
const IndexedImage* sourceImage(const PaintContext& ctx) {
  const int c = ctx.state.CurrentChannel;
  if (c < 0 || c >= MaxChannels) return nullptr;
  if (ctx.state.WheezesChecked && ctx.doc.wheezeMap && usable(ctx.doc.wheezeMap->image[c]))
    return &ctx.doc.wheezeMap->image[c];
  const IndexedImage& sonogram = ctx.doc.spectra->sonogram[c];
  return usable(sonogram) ? &sonogram : nullptr;
}

}  // namespace

void sonogram_paint(QPainter& p, QSize pane, PaintContext& ctx) {
  const IndexedImage* image = sourceImage(ctx);
  if (!image) return;
  const TimeAxis axis = TimeAxis::of(ctx.state);
  const int32_t first = axis.firstSegment;
  int32_t last = axis.endSegment(std::min(ctx.doc.recording->segmentCount, ctx.doc.spectra->segmentCount));
  last = std::min<int32_t>(last, image->width);
  if (first < 0 || last <= first) return;
  const int columns = last - first;
  const int rows = std::min(CopiedRows, image->height);

  // Only the visible columns are converted, once per paint; the stretch to
  // SegmentPixels per column is the painter's nearest-neighbour scaling.
  QImage visible(columns, rows, QImage::Format_Indexed8);
  visible.setColorTable(indexedColorTable(ctx.palette));
  for (int r = 0; r < rows; ++r)
    std::memcpy(visible.scanLine(r), image->pixels.data() + static_cast<size_t>(r) * image->width + first,
                static_cast<size_t>(columns));
  p.drawImage(QRect(0, 0, columns * axis.segmentPixels, rows * pane.height() / CopiedRows), visible);
}

PaintOutcome SonoBoxPaint(QPainter& p, QSize pane, PaintContext& ctx, PsdMemory& memory) {
  PaintOutcome outcome;
  p.save();
  draw::beginPane(p, pane);
  draw::fillBackground(p, QRect(QPoint(0, 0), pane), Pane::Sono);
  // A progress display disables the window; the pane stays black meanwhile.
  if (ctx.state.WindowEnabled && ctx.doc.recording) {
    const int c = ctx.state.CurrentChannel;
    draw::LineCanvas canvas(p, pane);
    if (ctx.state.ViewMode == WaveformView) {
      waveform_paint(canvas, pane, ctx, outcome);
    } else if (ctx.doc.spectra && ctx.doc.spectra->hasPower(c)) {
      if (ctx.state.ViewMode == SpectrumView)
        spectrum_paint(canvas, pane, ctx, memory, outcome);
      else
        sonogram_paint(p, pane, ctx);
    }
  }
  p.restore();
  return outcome;
}

}  // namespace vode
