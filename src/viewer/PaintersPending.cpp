// Placeholders for the pane painters until the painting work is merged; that
// merge deletes this file.
#include "viewer/Painters.h"

namespace vode {

void FlowBoxPaint(QPainter&, QSize, PaintContext&) {}
void SonoBoxPaint(QPainter&, QSize, PaintContext&, PsdMemory&) {}
void TagBoxPaint(QPainter&, QSize, QRect, PaintContext&) {}
void TimeBoxPaint(QPainter&, QSize, PaintContext&) {}
void FreqBoxPaint(QPainter&, QSize, PaintContext&, PsdMemory&) {}
void DBBoxPaint(QPainter&, QSize, PaintContext&) {}

}  // namespace vode
