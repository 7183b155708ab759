#include "viewer/WindowPalette.h"

namespace vode {

WindowPalette makeWindowPalette(const Palette& palette) {
  WindowPalette colours;
  colours.reserve(Palette::Size);
  for (const PaletteEntry& e : palette.entries) colours.push_back(qRgb(e.red, e.green, e.blue));
  return colours;
}

QVector<QRgb> indexedColorTable(const WindowPalette& palette) {
  QVector<QRgb> table(256, qRgb(0, 0, 0));
  const int n = std::min<int>(palette.size(), Palette::Size);
  for (int i = 0; i < n; ++i) table[i] = palette[i];
  return table;
}

}  // namespace vode
