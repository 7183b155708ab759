// The tag strip: one cell per segment coloured by its phase and flags.
#include "viewer/PaintRoutines.h"
#include "viewer/PaneDrawing.h"

namespace vode {

QColor tagColour(uint8_t phase, uint8_t flags) {
  QColor colour;
  if (phase == Inspiration) colour = draw::Lime;
  if (phase == Expiration) colour = draw::Lime;
  if (phase == Background) colour = draw::Black;
  if (flags & Wheeze) colour = draw::Aqua;
  if (flags & Rejected) colour = draw::Red;
  if (flags & Clipped) colour = draw::Yellow;
  return colour;
}

void TagBoxPaint(QPainter& p, QSize pane, QRect invalid, PaintContext& ctx) {
  const QRect region = invalid.intersected(QRect(QPoint(0, 0), pane));
  if (region.isEmpty()) return;
  p.save();
  draw::beginPane(p, pane);
  p.setClipRect(region, Qt::IntersectClip);
  draw::fillBackground(p, region, Pane::Tag);
  const Recording* rec = ctx.doc.recording.get();
  const TagTable* tags = ctx.doc.tagTable.get();
  if (rec && tags && !tags->empty()) {
    // Only the cells whose left edge lies in the region are painted.
    const TimeAxis axis = TimeAxis::of(ctx.state);
    const int c = ctx.state.CurrentChannel;
    int32_t s = axis.segmentAt(region.left());
    for (int left = axis.cellLeft(region.left()); left <= region.right(); left += axis.segmentPixels, ++s) {
      if (s < 0 || s >= rec->segmentCount || !tags->containsSegment(s)) break;
      const QColor colour = tagColour(tags->phase(s), tags->flags(c, s));
      if (colour.isValid()) p.fillRect(QRect(left, 0, axis.segmentPixels, pane.height()), colour);
    }
  }
  p.restore();
}

}  // namespace vode
