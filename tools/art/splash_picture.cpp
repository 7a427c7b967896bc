// The splash: the service's name over the town's emblem, a small arched
// gate with a die in its light, on the hill at late afternoon, in a wooden
// frame.

#include "tools/art/pictures.h"
#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"
#include "tools/art/town_scenery.h"

using namespace town;

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 240;

// A die face with pips for five, shaded on its right side.
void DieDraw(QImage* img, int x, int y, int size) {
  PixelPainter p(img);
  OutlinedRect(p, QRect(x, y, size, size), kWhite, kStoneDark);
  p.fillRect(QRect(x + size - 3, y + 1, 2, size - 2), QColor::fromRgb(kCloudShade));
  p.fillRect(QRect(x + 1, y + size - 3, size - 2, 2), QColor::fromRgb(kCloudShade));
  p.end();
  const int a = x + size / 4 - 1, b = x + size / 2 - 1, c = x + size * 3 / 4 - 1;
  const int ya = y + size / 4 - 1, yb = y + size / 2 - 1, yc = y + size * 3 / 4 - 1;
  for (QPoint pip : {QPoint(a, ya), QPoint(c, ya), QPoint(b, yb), QPoint(a, yc), QPoint(c, yc)})
    for (int dy = 0; dy < 2; ++dy) HLine(img, pip.x(), pip.x() + 1, pip.y() + dy, kInk);
}

}  // namespace

void EmblemDraw(QImage* img, int cx, int bottom) {
  PixelPainter p(img);
  // A patch of lawn for the gate to stand on, its shadow to the right.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromRgb(kGrassShade));
  p.drawEllipse(QRect(cx - 20, bottom - 4, 70, 9));
  OutlinedPolygon(p, ArchPolygon(cx - 26, bottom - 62, cx + 26, bottom), kStoneLight, kStoneDark);
  p.fillRect(QRect(cx + 18, bottom - 36, 7, 35), QColor::fromRgb(kStone));
  OutlinedPolygon(p, ArchPolygon(cx - 18, bottom - 54, cx + 18, bottom), kGlowDeep, kStoneDark);
  p.setPen(Qt::NoPen);
  p.setClipRegion(QRegion(ArchPolygon(cx - 17, bottom - 53, cx + 17, bottom)));
  p.setBrush(QColor::fromRgb(kGlow));
  p.drawEllipse(QRect(cx - 16, bottom - 46, 33, 50));
  p.setBrush(QColor::fromRgb(kGlowCore));
  p.drawEllipse(QRect(cx - 10, bottom - 38, 21, 34));
  p.setClipping(false);
  OutlinedRect(p, QRect(cx - 3, bottom - 65, 7, 8), kStoneLight, kStoneDark);
  p.end();
  DieDraw(img, cx - 9, bottom - 30, 18);
}

namespace {

void FrameDraw(QImage* img) {
  PixelPainter p(img);
  p.setBrush(Qt::NoBrush);
  const QRgb rings[] = {kWoodDeep, kWoodDark, kWood, kWood, kWoodLight, kWoodDeep};
  for (int i = 0; i < 6; ++i) {
    p.setPen(QColor::fromRgb(rings[i]));
    p.drawRect(QRect(i, i, kWidth - 1 - 2 * i, kHeight - 1 - 2 * i));
  }
  // The lower and right sides of the moulding turn away from the light.
  p.setPen(QColor::fromRgb(kWoodDark));
  p.drawLine(3, kHeight - 4, kWidth - 4, kHeight - 4);
  p.drawLine(kWidth - 4, 3, kWidth - 4, kHeight - 4);
  for (QPoint c : {QPoint(1, 1), QPoint(kWidth - 6, 1), QPoint(1, kHeight - 6),
                   QPoint(kWidth - 6, kHeight - 6)})
    OutlinedRect(p, QRect(c, QSize(5, 5)), kGlow, kWoodDeep);
}

}  // namespace

QImage SplashDraw() {
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  SkyFill(&img, QRect(0, 0, kWidth, 200));
  SunDraw(&img, QPoint(56, 64), 10, 32);
  CloudDraw(&img, QPoint(290, 64), 70);
  CloudDraw(&img, QPoint(30, 140), 50);
  HillsFill(&img, QRect(0, 150, kWidth, kHeight - 150), 172, 6, 1.6, 1.0, kHillFar, kCloudShade);
  HillsFill(&img, QRect(0, 180, kWidth, kHeight - 180), 204, 8, 1.2, 2.2, kGrass, kGrassLight);
  // A few houses of the town on the hill to either side of the gate.
  HouseDraw(&img, 60, 206, 16, 11, Roof::Gable, kRoof, true);
  HouseDraw(&img, 84, 210, 18, 12, Roof::Hip, kRoofLight, false);
  HouseDraw(&img, 282, 212, 18, 12, Roof::Gable, kRoofLight, true);
  HouseDraw(&img, 306, 208, 16, 11, Roof::Hip, kRoof, false);
  TreeDraw(&img, 118, 214, 7);
  TreeDraw(&img, 340, 210, 6);
  TreeDraw(&img, 30, 214, 6);
  EmblemDraw(&img, kWidth / 2, 226);
  FlowersScatter(&img, QRect(10, 218, 380, 14), 40, 3);

  TextStyle shadow{.family = "DejaVu Sans", .pixelSize = 76, .bold = true, .colour = kSkyHigh};
  CrispText(&img, QRect(3, 20, kWidth, 90), "Orva", shadow, TextAlign::Centre);
  TextStyle mark{.family = "DejaVu Sans", .pixelSize = 76, .bold = true, .colour = kParchment,
                 .ring = kWoodDeep};
  CrispText(&img, QRect(0, 16, kWidth, 90), "Orva", mark, TextAlign::Centre);
  TextStyle tag{.family = "Liberation Sans", .pixelSize = 14, .bold = true, .colour = kWoodDeep};
  CrispText(&img, QRect(0, 104, kWidth, 18), "the game town", tag, TextAlign::Centre);
  FrameDraw(&img);
  SnapToTable(img);
  return img;
}
