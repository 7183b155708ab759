// The tag strip: one cell per segment coloured by its phase and flags, and
// the tag words under the mouse.
#include <cmath>

#include "viewer/PaneDrawing.h"
#include "viewer/Panes.h"

namespace vode {

const QColor CycleMarkColour = draw::Navy;

QColor tagColour(uint8_t phase, uint8_t flags, bool crackles) {
  QColor colour;
  if (phase == Inspiration) colour = draw::Lime;
  if (phase == Expiration) colour = draw::Lime;
  if (phase == Background) colour = draw::Black;
  if (crackles && (flags & CrFlag)) colour = draw::Magenta;
  if (flags & Wheeze) colour = draw::Aqua;
  if (flags & Rejected) colour = draw::Red;
  if (flags & Clipped) colour = draw::Yellow;
  return colour;
}

PaintOutcome TagStripPane::paint(QPainter& p, QSize pane, QRect invalid) {
  const QRect region = invalid.intersected(QRect(QPoint(0, 0), pane));
  if (region.isEmpty()) return {};
  p.save();
  draw::beginPane(p, pane);
  p.setClipRect(region, Qt::IntersectClip);
  draw::fillBackground(p, region, Pane::Tag);
  const Recording* rec = doc().recording.get();
  const TagTable* tags = doc().tagTable.get();
  if (rec && tags && !tags->empty()) {
    // Only the cells whose left edge lies in the region are painted.
    const TimeAxis axis = TimeAxis::of(state());
    const int c = state().CurrentChannel;
    int32_t s = axis.segmentAt(region.left());
    for (int left = axis.cellLeft(region.left()); left <= region.right(); left += axis.segmentPixels, ++s) {
      if (s < 0 || s >= rec->segmentCount || !tags->containsSegment(s)) break;
      const QColor colour = tagColour(tags->phase(s), tags->flags(c, s), state().CracklesChecked);
      if (colour.isValid()) p.fillRect(QRect(left, 0, axis.segmentPixels, pane.height()), colour);
    }
  }
  if (rec) {
    // Estimated cycle boundaries: a thin line where each falls, over the cells.
    const TimeAxis axis = TimeAxis::of(state());
    for (double t : state().CycleMarks) {
      const int x = static_cast<int>(std::lround((t * 10.0 - axis.firstSegment) * axis.segmentPixels));
      if (x >= region.left() && x <= region.right()) p.fillRect(QRect(x, 0, 1, pane.height()), CycleMarkColour);
    }
  }
  p.restore();
  return {};
}

TagGesture TagStripPane::gestureFor(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  // The keypad flag says where a key came from, not which keys are held.
  const Qt::KeyboardModifiers held =
      modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (buttons == Qt::LeftButton) {
    if (held == Qt::NoModifier) return TagGesture::Include;
    if (held == Qt::ShiftModifier) return TagGesture::Background;
    if (held == Qt::ControlModifier) return TagGesture::Exclude;
  }
  if (buttons == Qt::RightButton && held == Qt::NoModifier) return TagGesture::Clear;
  return TagGesture::SelectOnly;
}

int32_t TagStripPane::segmentAt(int x) const { return x < 0 ? -1 : TimeAxis::of(state()).segmentAt(x); }

Readout TagStripPane::readout(QSize, QPoint pos) const {
  const Recording* rec = doc().recording.get();
  const TagTable* tags = doc().tagTable.get();
  if (!rec || !tags || tags->empty() || pos.x() < 0) return Readout::notAvailable();
  const int32_t s = segmentAt(pos.x());
  if (s < 0 || s >= rec->segmentCount || !tags->containsSegment(s)) return Readout::notAvailable();
  QString word;
  switch (tags->phase(s)) {
    case Inspiration:
      word = QStringLiteral("Inspiration");
      break;
    case Expiration:
      word = QStringLiteral("Expiration");
      break;
    case Background:
      word = QStringLiteral("Background");
      break;
    default:
      word = QStringLiteral("Untagged");
      break;
  }
  // A flag word only for a single flag; combinations read as the phase alone.
  switch (tags->flags(state().CurrentChannel, s)) {
    case Rejected:
      word += QStringLiteral(" Rejected");
      break;
    case Wheeze:
      word += QStringLiteral(" Wheeze");
      break;
    case Clipped:
      word += QStringLiteral(" Clipped");
      break;
    default:
      break;
  }
  return Readout::text(word);
}

}  // namespace vode
