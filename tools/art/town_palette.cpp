#include "tools/art/town_palette.h"

#include <climits>

std::array<QRgb, 256> DefaultColourTable() {
  std::array<QRgb, 256> t{};
  int k = 0;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) {
        if (r == 5 && g == 5 && b == 5) continue;
        t[k++] = qRgb(255 - 51 * r, 255 - 51 * g, 255 - 51 * b);
      }
  static constexpr int kLevels[10] = {238, 221, 187, 170, 136, 119, 85, 68, 34, 17};
  for (int v : kLevels) t[k++] = qRgb(v, 0, 0);
  for (int v : kLevels) t[k++] = qRgb(0, v, 0);
  for (int v : kLevels) t[k++] = qRgb(0, 0, v);
  for (int v : kLevels) t[k++] = qRgb(v, v, v);
  t[k] = qRgb(0, 0, 0);
  return t;
}

namespace {

const std::array<QRgb, 256>& Table() {
  static const std::array<QRgb, 256> table = DefaultColourTable();
  return table;
}

QRgb Nearest(QRgb c) {
  QRgb best = Table()[0];
  int bestDistance = INT_MAX;
  for (QRgb e : Table()) {
    int dr = qRed(c) - qRed(e), dg = qGreen(c) - qGreen(e), db = qBlue(c) - qBlue(e);
    // Green weighs most for the eye; this keeps skin and stone tones honest.
    int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = e;
    }
  }
  return best;
}

}  // namespace

bool IsTableColour(QRgb c) {
  c |= 0xFF000000u;
  for (QRgb e : Table())
    if ((e | 0xFF000000u) == c) return true;
  return false;
}

void SnapToTable(QImage& img) {
  const bool alpha = img.hasAlphaChannel();
  img = img.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) {
      if (alpha && qAlpha(row[x]) < 128) {
        row[x] = 0;
        continue;
      }
      row[x] = Nearest(row[x]) | 0xFF000000u;
    }
  }
}
