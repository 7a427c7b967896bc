// The welcome icon: a letter rolled at both ends, sealed with red wax.
// Everything outside the letter stays transparent, so the map shows round it.

#include "tools/art/pictures.h"
#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"

using namespace town;

namespace {

// One of the two rolls: a cylinder lying across the letter, lit on top.
void RollDraw(QPainter& p, int top) {
  OutlinedRect(p, QRect(3, top, 26, 6), kParchmentShade, kWoodDeep);
  p.fillRect(QRect(4, top + 1, 24, 1), QColor::fromRgb(kParchment));
  p.fillRect(QRect(4, top + 4, 24, 1), QColor::fromRgb(kParchmentEdge));
  // The rolled ends show the spiral of the paper.
  OutlinedRect(p, QRect(1, top + 1, 3, 4), kParchmentEdge, kWoodDeep);
  OutlinedRect(p, QRect(28, top + 1, 3, 4), kParchmentEdge, kWoodDeep);
}

}  // namespace

QImage WelcomeIconDraw() {
  QImage img(32, 32, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  PixelPainter p(&img);
  OutlinedRect(p, QRect(5, 6, 22, 21), kParchment, kWoodDeep);
  p.fillRect(QRect(23, 7, 3, 19), QColor::fromRgb(kParchmentShade));
  // Lines of writing.
  for (int i = 0; i < 4; ++i) {
    int y = 10 + 3 * i;
    int len = i == 3 ? 7 : 14 - (i % 2) * 3;
    p.fillRect(QRect(8, y, len, 1), QColor::fromRgb(kStoneShade));
  }
  RollDraw(p, 2);
  RollDraw(p, 24);
  // Wax seal with a ribbon tail, lower right.
  p.fillRect(QRect(19, 22, 2, 7), QColor::fromRgb(kSealShade));
  p.fillRect(QRect(23, 22, 2, 6), QColor::fromRgb(kSeal));
  OutlinedEllipse(p, QRect(17, 17, 9, 9), kSeal, kSealShade);
  p.end();
  Dot(&img, 19, 19, kHaze);
  Dot(&img, 20, 19, kHaze);
  Dot(&img, 21, 21, kSealShade);
  SnapToTable(img);
  return img;
}
