// The window's colour table: the 64 levels of the sonogram and the dB colour
// bar, as Qt colours, and the 256-entry table of the palette-indexed images.
#pragma once

#include <QColor>
#include <QVector>

#include "model/Palette.h"

namespace vode {

// 64 entries, index 0 for the lowest level.
using WindowPalette = QVector<QRgb>;

// Index of the image colour table that always paints black: wheeze marks.
constexpr int BlackIndex = 255;

WindowPalette makeWindowPalette(const Palette& palette);

// 256 entries for a Format_Indexed8 image: the window palette in 0..63 and
// black everywhere above, so an index outside the palette never shows a
// stray colour.
QVector<QRgb> indexedColorTable(const WindowPalette& palette);

}  // namespace vode
