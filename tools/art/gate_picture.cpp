// The gate: the town on its hill behind a stone wall, seen from the road at
// late afternoon. The zoom closes in on the open door at (281, 163), so the
// door, its lanterns and its sign are drawn pixel by pixel.

#include <cmath>
#include <numbers>

#include "tools/art/pictures.h"
#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"
#include "tools/art/town_scenery.h"

using namespace town;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 400;
constexpr int kDoorX = 281;   // the zoom's target
constexpr int kWallTop = 112;
constexpr int kGround = 192;  // the wall's foot and the door's sill

// The town's hill on the right and a lower wooded one on the left, as the
// height of the crest at x.
int HillTop(int x) {
  double right = (x - 450) / 140.0, left = (x - 120) / 100.0;
  return 176 - int(std::lround(std::max(110 * std::exp(-right * right), 78 * std::exp(-left * left))));
}

void HillDraw(QImage* img) {
  for (int x = 0; x < kWidth; ++x) {
    int top = HillTop(x);
    for (int y = top; y < kWallTop + 4; ++y) {
      // Flanks facing away from the sun lie in shade.
      double away = x > 450 ? (x - 450) / 100.0 : (x > 120 && x < 300) ? (x - 120) / 80.0 : 0.0;
      bool shade = DitherPick(x, y, std::min(1.0, away));
      Dot(img, x, y, shade ? kGrassShade : kGrass);
    }
    Dot(img, x, top, kGrassLight);
  }
}

void TownDraw(QImage* img) {
  struct House {
    int x, w, h, depth;
    Roof roof;
    QRgb roof_colour;
    bool lit;
  };
  // Back rows first; depth sets how far down the slope a house stands.
  static constexpr House kHouses[] = {
      {404, 22, 14, 0, Roof::Gable, kRoof, false},   {470, 20, 14, 0, Roof::Hip, kRoofLight, true},
      {372, 24, 16, 4, Roof::Hip, kRoofLight, false}, {500, 24, 16, 4, Roof::Gable, kRoof, true},
      {536, 22, 14, 6, Roof::Gable, kRoofLight, false}, {350, 22, 14, 4, Roof::Gable, kRoof, true},
      {430, 24, 14, 20, Roof::Hip, kRoof, true},      {470, 26, 16, 26, Roof::Gable, kRoofLight, false},
      {396, 26, 16, 24, Roof::Gable, kRoof, false},   {520, 22, 14, 18, Roof::Hip, kRoof, false},
      {92, 22, 14, 2, Roof::Gable, kRoofLight, true}, {128, 20, 12, 6, Roof::Hip, kRoof, false},
  };
  // The games hall's tower crowns the hill.
  {
    PixelPainter p(img);
    const QRect tower(442, 34, 20, 40);
    OutlinedRect(p, tower, kStoneLight, kStoneDark);
    p.fillRect(QRect(tower.right() - 5, tower.top() + 1, 5, tower.height() - 2),
               QColor::fromRgb(kStone));
    OutlinedPolygon(p, QPolygon({QPoint(439, 34), QPoint(452, 10), QPoint(465, 34)}), kRoof,
                    kStoneDark);
    p.fillRect(QRect(450, 44, 4, 6), QColor::fromRgb(kGlow));
    p.fillRect(QRect(450, 58, 4, 6), QColor::fromRgb(kWoodDark));
    p.setPen(QColor::fromRgb(kIron));
    p.drawLine(452, 10, 452, 2);
    p.end();
    // A small pennant blowing to the right.
    for (int i = 0; i < 8; ++i) VLine(img, 453 + i, 2 + i / 3, 6 - i / 3, kSeal);
  }
  TreeDraw(img, 60, 112, 9);
  TreeDraw(img, 150, 104, 8);
  TreeDraw(img, 176, 116, 9);
  for (const House& h : kHouses) {
    int base = HillTop(h.x + h.w / 2) + h.h + h.depth;
    HouseDraw(img, h.x, base, h.w, h.h, h.roof, h.roof_colour, h.lit);
  }
  TreeDraw(img, 366, 110, 6);
  TreeDraw(img, 560, 112, 8);
  TreeDraw(img, 455, 100, 5);
}

// A red cloth hung from the battlements, with a gold die face on it.
void BannerDraw(QImage* img, int x) {
  PixelPainter p(img);
  QPolygon cloth({QPoint(x, kWallTop + 2), QPoint(x + 17, kWallTop + 2), QPoint(x + 17, kWallTop + 40),
                  QPoint(x + 8, kWallTop + 34), QPoint(x, kWallTop + 40)});
  OutlinedPolygon(p, cloth, kSeal, kSealShade);
  p.fillRect(QRect(x - 2, kWallTop, 22, 2), QColor::fromRgb(kWoodDark));
  p.fillRect(QRect(x + 13, kWallTop + 3, 4, 30), QColor::fromRgb(kSealShade));
  OutlinedRect(p, QRect(x + 3, kWallTop + 10, 11, 11), kParchment, kGlowDeep);
  p.end();
  for (QPoint d : {QPoint(5, 12), QPoint(8, 15), QPoint(11, 18)}) Dot(img, x + d.x(), kWallTop + d.y(), kInk);
}

void WallDraw(QImage* img) {
  StoneWallFill(img, QRect(0, kWallTop, kWidth, kGround - kWallTop), 16, 8);
  BattlementDraw(img, 0, kWidth - 1, kWallTop, 8, 7);
  HLine(img, 0, kWidth - 1, kGround - 1, kStoneDark);
}

// A square tower standing in front of the wall, lit on the left, with its
// shadow thrown onto the wall to its right.
void TowerDraw(QImage* img, int left, int right, int top) {
  ShadeRegion(img, QPolygon({QPoint(right + 1, top + 8), QPoint(right + 30, top + 8),
                             QPoint(right + 10, kGround - 1), QPoint(right + 1, kGround - 1)}));
  StoneWallFill(img, QRect(left, top, right - left + 1, kGround - top), 14, 8);
  PixelPainter p(img);
  p.setPen(QColor::fromRgb(kStoneDark));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRect(left, top, right - left, kGround - top - 1));
  p.end();
  ShadeRegion(img, QPolygon({QPoint(right - 9, top + 1), QPoint(right - 1, top + 1),
                             QPoint(right - 1, kGround - 2), QPoint(right - 9, kGround - 2)}));
  BattlementDraw(img, left - 2, right + 2, top, 7, 7);
  // Arrow slit.
  const int cx = (left + right) / 2;
  for (int y = top + 18; y < top + 32; ++y) HLine(img, cx - 1, cx, y, kStoneDark);
}

void GatehouseDraw(QImage* img) {
  const int left = 221, right = 341, top = 72;
  TowerDraw(img, left, right, top);
  // Clay roof over the gatehouse and its flag.
  PixelPainter p(img);
  OutlinedPolygon(p, QPolygon({QPoint(left - 6, top - 7), QPoint(kDoorX, 28), QPoint(right + 6, top - 7)}),
                  kRoof, kStoneDark);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromRgb(kRoofShade));
  p.drawPolygon(QPolygon({QPoint(kDoorX + 1, 31), QPoint(right + 4, top - 8), QPoint(kDoorX + 1, top - 8)}));
  p.setBrush(QColor::fromRgb(kRoofLight));
  p.drawPolygon(QPolygon({QPoint(kDoorX - 1, 33), QPoint(kDoorX - 1, 44), QPoint(kDoorX - 14, 52)}));
  p.setPen(QColor::fromRgb(kIron));
  p.drawLine(kDoorX, 28, kDoorX, 8);
  p.end();
  for (int i = 0; i < 14; ++i) {
    int wave = (i / 4) % 2;
    VLine(img, kDoorX + 1 + i, 9 + wave, 16 + wave, i < 13 ? kSeal : kSealShade);
    Dot(img, kDoorX + 1 + i, 16 + wave, kSealShade);
  }
  // A round window over the sign lets the evening light through.
  PixelPainter w(img);
  OutlinedEllipse(w, QRect(kDoorX - 6, 84, 13, 13), kGlow, kStoneDark);
  w.fillRect(QRect(kDoorX, 85, 1, 11), QColor::fromRgb(kWoodDark));
  w.fillRect(QRect(kDoorX - 5, 90, 11, 1), QColor::fromRgb(kWoodDark));
}

// The lantern hangs from an iron bracket; the stone round it is warmed by
// its light.
void LanternDraw(QImage* img, int wallX, int x, int y) {
  for (int yy = y - 12; yy <= y + 20; ++yy)
    for (int xx = x - 12; xx <= x + 16; ++xx)
      if (double d = std::hypot(xx - (x + 2), (yy - (y + 8)) * 1.1);
          d <= 7 || (d <= 12 && DitherPick(xx, yy, (12 - d) / 5))) {
        QRgb c = img->pixel(xx, yy) | 0xFF000000u;
        if (c == kStone) img->setPixel(xx, yy, kStoneLight);
        else if (c == kStoneShade) img->setPixel(xx, yy, kStone);
      }
  HLine(img, std::min(wallX, x + 2), std::max(wallX, x + 2), y - 4, kIron);
  VLine(img, wallX, y - 6, y - 2, kIron);
  VLine(img, x + 2, y - 3, y - 1, kIronLight);
  // Cap, glass in its frame, foot.
  HLine(img, x + 1, x + 3, y, kIron);
  HLine(img, x, x + 4, y + 1, kIron);
  for (int yy = y + 2; yy <= y + 8; ++yy) {
    Dot(img, x, yy, kIron);
    Dot(img, x + 4, yy, kIron);
    HLine(img, x + 1, x + 3, yy, kGlow);
  }
  VLine(img, x + 2, y + 3, y + 7, kGlowCore);
  Dot(img, x + 1, y + 4, kGlowCore);
  Dot(img, x + 3, y + 6, kGlowDeep);
  HLine(img, x, x + 4, y + 9, kIron);
  Dot(img, x + 2, y + 10, kIron);
}

void DoorDraw(QImage* img) {
  PixelPainter p(img);
  // Voussoir ring, then the opening.
  OutlinedPolygon(p, ArchPolygon(253, 122, 309, kGround - 1), kStoneLight, kStoneDark);
  p.end();
  for (int i = 0; i <= 8; ++i) {
    double a = std::numbers::pi * i / 8.0;
    int x0 = kDoorX + int(std::lround(21 * std::cos(a))), y0 = 150 - int(std::lround(21 * std::sin(a)));
    int x1 = kDoorX + int(std::lround(27 * std::cos(a))), y1 = 150 - int(std::lround(27 * std::sin(a)));
    PixelPainter q(img);
    q.setPen(QColor::fromRgb(kStone));
    q.drawLine(x0, y0, x1, y1);
  }
  // Keystone.
  {
    PixelPainter q(img);
    OutlinedRect(q, QRect(kDoorX - 3, 120, 7, 9), kStoneLight, kStoneDark);
  }
  // Warm light of the town square beyond, in flat bands so it stays clean
  // when the zoom enlarges it.
  PixelPainter q(img);
  OutlinedPolygon(q, ArchPolygon(260, 129, 302, kGround - 1), kGlowDeep, kStoneDark);
  q.setPen(Qt::NoPen);
  q.setClipRegion(QRegion(ArchPolygon(261, 130, 301, kGround - 1)));
  q.setBrush(QColor::fromRgb(kGlow));
  q.drawEllipse(QRect(kDoorX - 17, 140, 35, 52));
  q.setBrush(QColor::fromRgb(kGlowCore));
  q.drawEllipse(QRect(kDoorX - 10, 150, 21, 30));
  q.setBrush(QColor::fromRgb(kSun));
  q.drawEllipse(QRect(kDoorX - 5, 157, 11, 14));
  // Far houses of the square, dark against the light, their windows lit.
  q.setBrush(QColor::fromRgb(kEmber));
  q.drawRect(QRect(265, 164, 8, 20));
  q.drawPolygon(QPolygon({QPoint(264, 164), QPoint(269, 158), QPoint(274, 164)}));
  q.drawRect(QRect(290, 167, 8, 17));
  q.drawPolygon(QPolygon({QPoint(289, 167), QPoint(294, 162), QPoint(299, 167)}));
  q.setBrush(QColor::fromRgb(kGlowCore));
  q.drawRect(QRect(268, 169, 2, 3));
  q.drawRect(QRect(293, 172, 2, 3));
  // The lit cobbles of the street inside.
  q.setBrush(QColor::fromRgb(kPathLight));
  q.drawRect(QRect(261, 182, 41, 9));
  q.setBrush(QColor::fromRgb(kGlow));
  for (int x = 262; x < 302; x += 6) q.drawRect(QRect(x + (x / 6) % 2 * 2, 185, 3, 1));
  q.setClipping(false);
  // The two wings stand open against the jambs.
  for (int side = 0; side < 2; ++side) {
    int x = side == 0 ? 261 : 296;
    QPolygon wing;
    if (side == 0)
      wing << QPoint(x, 141) << QPoint(x + 5, 146) << QPoint(x + 5, kGround - 4) << QPoint(x, kGround - 1);
    else
      wing << QPoint(x + 5, 141) << QPoint(x, 146) << QPoint(x, kGround - 4) << QPoint(x + 5, kGround - 1);
    OutlinedPolygon(q, wing, side == 0 ? kWood : kWoodDark, kWoodDeep);
    q.setPen(QColor::fromRgb(kIron));
    q.drawLine(x + 1, 156, x + 4, 156);
    q.drawLine(x + 1, 176, x + 4, 176);
  }
  q.end();
  // The sign over the arch, gilt letters on dark wood.
  PixelPainter s(img);
  s.setPen(QColor::fromRgb(kIron));
  s.drawLine(kDoorX - 13, 104, kDoorX - 13, 108);
  s.drawLine(kDoorX + 13, 104, kDoorX + 13, 108);
  OutlinedRect(s, QRect(kDoorX - 17, 108, 35, 14), kWoodDark, kWoodDeep);
  s.fillRect(QRect(kDoorX - 16, 109, 33, 1), QColor::fromRgb(kWood));
  s.end();
  const int textW = TinyTextWidth("ORVA", 2);
  TinyText(img, kDoorX - textW / 2 + 1, 111, "ORVA", 2, kGlowCore);

  LanternDraw(img, 253, 243, 140);
  LanternDraw(img, 309, 315, 140);
}

void GroundDraw(QImage* img) {
  FillRampVertical(img, QRect(0, kGround, kWidth, kHeight - kGround),
                   {kGrassLight, kGrass, kGrass, kGrassShade});
  // Shade along the foot of the wall.
  for (int x = 0; x < kWidth; ++x) {
    VLine(img, x, kGround, kGround + 2, kGrassShade);
    if (DitherPick(x, 0, 0.5)) Dot(img, x, kGround + 3, kGrassShade);
  }
  // The road comes to the gate from below, widening toward us.
  PixelPainter p(img);
  QPolygon road({QPoint(258, kGround), QPoint(304, kGround), QPoint(440, kHeight), QPoint(150, kHeight)});
  OutlinedPolygon(p, road, kPath, kPathShade);
  // Two worn wheel tracks, lighter than the cobbles around them.
  p.setPen(QPen(QColor::fromRgb(kPathLight), 1));
  p.drawLine(272, kGround + 2, 232, kHeight);
  p.drawLine(290, kGround + 2, 358, kHeight);
  p.drawLine(273, kGround + 2, 239, kHeight);
  p.drawLine(289, kGround + 2, 351, kHeight);
  p.end();
  // Cobble rows, closer together further away.
  for (double t = 0.02; t < 1.0; t += 0.012 + t * 0.05) {
    int y = kGround + int(t * (kHeight - kGround));
    int l = 258 + int(t * (150 - 258)) + 3, r = 304 + int(t * (440 - 304)) - 3;
    int step = 4 + int(t * 16);
    for (int x = l + (y % 2) * step / 2; x < r; x += step) HLine(img, x, x + std::max(1, step / 3), y, kPathShade);
  }
  // The evening light from the door falls on the road.
  for (int y = kGround; y < kGround + 40; ++y)
    for (int x = 250; x < 312; ++x) {
      double d = std::hypot((x - kDoorX) / 1.3, (y - kGround) * 1.1);
      QRgb c = img->pixel(x, y) | 0xFF000000u;
      if (d < 30 && (c == kPath || c == kPathLight || c == kPathShade) &&
          DitherPick(x, y, 1.0 - d / 30.0))
        img->setPixel(x, y, c == kPathShade ? kGlowDeep : kGlowCore);
    }
}

// Short blades on the lawn, bigger toward the viewer, off the road.
void GrassTufts(QImage* img) {
  unsigned s = 1234;
  for (int i = 0; i < 420; ++i) {
    s = s * 1103515245u + 12345u;
    int x = int((s >> 8) % kWidth);
    s = s * 1103515245u + 12345u;
    int y = kGround + 8 + int((s >> 8) % (kHeight - kGround - 8));
    QRgb under = img->pixel(x, y) | 0xFF000000u;
    if (under != kGrass && under != kGrassLight && under != kGrassShade) continue;
    int h = 1 + (y - kGround) / 60;
    QRgb blade = under == kGrassShade ? kLeafDeep : kGrassShade;
    VLine(img, x, y - h, y, blade);
    Dot(img, x + 1, y - h + 1, under == kGrassLight ? kGrass : kGrassLight);
  }
}

void FenceDraw(QImage* img, int x0, int x1, int y0, int y1) {
  PixelPainter p(img);
  const int posts = 7;
  for (int i = 0; i < posts; ++i) {
    double t = double(i) / (posts - 1);
    int x = x0 + int(t * (x1 - x0)), y = y0 + int(t * (y1 - y0));
    int h = 8 + int(t * 16), w = 2 + int(t * 3);
    OutlinedRect(p, QRect(x, y - h, w, h), kWoodLight, kWoodDeep);
  }
  p.setPen(QPen(QColor::fromRgb(kWood), 1));
  for (int rail = 0; rail < 2; ++rail) {
    int off0 = 5 - rail * 3, off1 = 16 - rail * 9;
    p.drawLine(x0, y0 - off0, x1, y1 - off1);
  }
}

}  // namespace

QImage GateDraw() {
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  SkyFill(&img, QRect(0, 0, kWidth, kGround));
  SunDraw(&img, QPoint(172, 56), 12, 40);
  CloudDraw(&img, QPoint(400, 58), 96);
  CloudDraw(&img, QPoint(540, 92), 70);
  CloudDraw(&img, QPoint(40, 40), 64);
  HillsFill(&img, QRect(0, 140, kWidth, kGround - 140), 156, 10, 2.2, 0.5, kHillFar, kCloudShade);
  HillDraw(&img);
  TownDraw(&img);
  WallDraw(&img);
  TowerDraw(&img, 52, 106, 88);
  TowerDraw(&img, 486, 540, 88);
  BannerDraw(&img, 168);
  BannerDraw(&img, 378);
  GatehouseDraw(&img);
  DoorDraw(&img);
  GroundDraw(&img);
  FenceDraw(&img, 236, 40, kGround + 14, 330);
  FenceDraw(&img, 330, 520, kGround + 14, 330);
  for (int x : {18, 96, 212, 352, 462, 566, 624}) BushDraw(&img, x, kGround + 4, 18 + x % 7);
  TreeDraw(&img, 170, 212, 16);
  TreeDraw(&img, 420, 210, 14);
  TreeDraw(&img, 30, 318, 30);
  TreeDraw(&img, 600, 350, 36);
  GrassTufts(&img);
  FlowersScatter(&img, QRect(0, 240, 160, 150), 70, 7);
  FlowersScatter(&img, QRect(470, 230, 170, 110), 60, 11);
  SnapToTable(img);
  return img;
}
