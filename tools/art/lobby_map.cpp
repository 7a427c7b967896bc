// The lobby map: the town square inside the gate, seen from above at a
// gentle angle. A strip of sky and the town wall at the top, lawns, a
// fountain on a round plaza, paths to six paved plots where the rooms'
// buildings stand, trees throwing their shadows to the lower right. The
// welcome icon's corner at the bottom right stays calm lawn.

#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "tools/art/building_plots.h"
#include "tools/art/pictures.h"
#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"
#include "tools/art/town_scenery.h"

using namespace town;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 400;
constexpr int kWallTop = 18;   // the far wall's coping
constexpr int kWallFoot = 32;  // where the square begins
constexpr QPoint kFountain(316, 206);
constexpr int kPlazaRx = 82, kPlazaRy = 46;

bool IsGrassColour(QRgb c) {
  c |= 0xFF000000u;
  return c == kGrass || c == kGrassLight || c == kGrassShade;
}

void BackdropDraw(QImage* img) {
  SkyFill(img, QRect(0, 0, kWidth, kWallTop + 2));
  SunDraw(img, QPoint(88, 6), 5, 16);
  HillsFill(img, QRect(0, 6, kWidth, kWallTop), 11, 3, 2.6, 0.8, kHillFar, kCloudShade);
  HillsFill(img, QRect(0, 10, kWidth, kWallTop), 15, 2, 4.1, 2.0, kHillNear, kGrassShade);
  // Roofs and tree tops of the town beyond the wall, small with the
  // distance, their right slopes turned from the light.
  for (int x = 124, i = 0; x < 630; x += 30 + (x * 7) % 19, ++i) {
    PixelPainter p(img);
    if (i % 3 == 2) {
      OutlinedEllipse(p, QRect(x, kWallTop - 8, 12, 10), kLeafDark, kLeafDeep);
      p.end();
      HLine(img, x + 3, x + 5, kWallTop - 6, kGrass);
      continue;
    }
    const int w = 16 + x % 6;
    OutlinedPolygon(p, QPolygon({QPoint(x, kWallTop), QPoint(x + 4, kWallTop - 6),
                                 QPoint(x + w - 4, kWallTop - 6), QPoint(x + w, kWallTop)}),
                    i % 2 ? kRoof : kRoofLight, kStoneDark);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgb(kRoofShade));
    p.drawPolygon(QPolygon({QPoint(x + w - 4, kWallTop - 5), QPoint(x + w - 1, kWallTop - 1),
                            QPoint(x + w - 5, kWallTop - 1)}));
  }
  StoneWallFill(img, QRect(0, kWallTop, kWidth, kWallFoot - kWallTop), 12, 5);
  HLine(img, 0, kWidth - 1, kWallTop, kStoneDark);
  HLine(img, 0, kWidth - 1, kWallFoot - 1, kStoneDark);
}

// Smooth value noise in 0..1 on a grid of the given cell size, so the
// lawn's light patches are soft round blobs rather than stripes.
double LawnNoise(int x, int y, int cell, unsigned seed) {
  auto corner = [seed](int gx, int gy) {
    unsigned h = unsigned(gx) * 374761393u + unsigned(gy) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
  };
  const int gx = x / cell, gy = y / cell;
  double fx = double(x % cell) / cell, fy = double(y % cell) / cell;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  const double top = corner(gx, gy) + (corner(gx + 1, gy) - corner(gx, gy)) * fx;
  const double bottom = corner(gx, gy + 1) + (corner(gx + 1, gy + 1) - corner(gx, gy + 1)) * fx;
  return top + (bottom - top) * fy;
}

// Lawn in two tones with soft patches of light, so the square is not one
// flat green.
void LawnFill(QImage* img) {
  for (int y = kWallFoot; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const double n = 0.75 * LawnNoise(x, y, 56, 1) + 0.25 * LawnNoise(x, y, 17, 2);
      QRgb c = kGrass;
      if (DitherPick(x, y, std::clamp((n - 0.56) / 0.2, 0.0, 0.5))) c = kGrassLight;
      img->setPixel(x, y, c);
    }
  // The wall's shadow along its foot.
  for (int x = 0; x < kWidth; ++x) {
    VLine(img, x, kWallFoot, kWallFoot + 2, kGrassShade);
    if (DitherPick(x, kWallFoot + 3, 0.5)) Dot(img, x, kWallFoot + 3, kGrassShade);
  }
}

// Fills a shape with path stone and a darker edge; cobble joints follow.
void PavedShape(QImage* img, const QPainterPath& shape) {
  PixelPainter p(img);
  p.setPen(QPen(QColor::fromRgb(kPathShade), 1));
  p.setBrush(QColor::fromRgb(kPath));
  p.drawPath(shape);
}

// Short joints between cobbles inside every path pixel, in staggered rows.
void CobbleJoints(QImage* img) {
  for (int y = kWallFoot; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      if ((img->pixel(x, y) | 0xFF000000u) != kPath) continue;
      const int row = y / 4;
      const bool joint = y % 4 == 3 || (x + row * 3) % 7 == 0;
      if (joint) img->setPixel(x, y, kPathShade);
      else if (y % 4 == 0 && (x + row * 3) % 7 == 1) img->setPixel(x, y, kPathLight);
    }
}

QPainterPath Band(QPointF a, QPointF b, double halfWidth) {
  QPointF d = b - a;
  double len = std::hypot(d.x(), d.y());
  QPointF n(-d.y() / len * halfWidth, d.x() / len * halfWidth);
  QPainterPath path;
  path.addPolygon(QPolygonF({a + n, b + n, b - n, a - n, a + n}));
  return path;
}

void PathsDraw(QImage* img) {
  // Shapes are united one by one: their outlines run either way round, so
  // a plain fill of the combined path would leave holes where they cross.
  QPainterPath all;
  // The road in from the gate at the bottom, wider toward the viewer.
  QPainterPath road;
  road.addPolygon(QPolygonF({QPointF(300, 240), QPointF(334, 240), QPointF(346, kHeight),
                             QPointF(288, kHeight), QPointF(300, 240)}));
  all = all.united(road);
  {
    QPainterPath plaza;
    plaza.addEllipse(QPointF(kFountain), kPlazaRx, kPlazaRy);
    all = all.united(plaza);
  }
  // West and east streets leave the plaza between the plot rows.
  all = all.united(Band(QPointF(-2, 212), QPointF(kFountain.x() - 60, 206), 7));
  all = all.united(Band(QPointF(kFountain.x() + 60, 204), QPointF(kWidth + 2, 196), 7));
  // The back lane runs along the fronts of the back row.
  all = all.united(Band(QPointF(40, 162), QPointF(590, 152), 6));
  all = all.united(Band(QPointF(kFountain.x(), 160), QPointF(kFountain.x(), 150), 12));
  // The front lane along the front row's doors, ending before the welcome
  // icon's lawn.
  all = all.united(Band(QPointF(-2, 338), QPointF(516, 342), 7));
  {
    QPainterPath end;
    end.addEllipse(QPointF(516, 342), 7, 7);
    all = all.united(end);
  }
  for (const Plot& plot : kPlots) {
    // A paved pad under each plot, reaching from the building's middle to
    // its front, joined to the nearest lane.
    const QRect r = plot.rect;
    QPainterPath pad;
    const int top = r.top() + r.height() * 2 / 5;
    pad.addRoundedRect(QRectF(r.left() + 3, top, r.width() - 6, r.bottom() + 4 - top), 5, 5);
    all = all.united(pad);
  }
  PavedShape(img, all);
  CobbleJoints(img);
}

// Kerbs: a lit edge on the upper left of every pad, the shade on the lower
// right, so the plots read as slightly raised.
void PlotKerbs(QImage* img) {
  for (const Plot& plot : kPlots) {
    const QRect r = plot.rect;
    const int top = r.top() + r.height() * 2 / 5;
    const QRect pad(r.left() + 5, top + 2, r.width() - 10, r.bottom() - top);
    PixelPainter p(img);
    p.setPen(QColor::fromRgb(kPathLight));
    p.setBrush(QColor::fromRgb(kPath));
    p.drawRect(pad.adjusted(0, 0, -1, -1));
    p.end();
    // Flagstones in a grid, offset per row.
    for (int y = pad.top() + 1; y < pad.bottom(); ++y)
      for (int x = pad.left() + 1; x < pad.right(); ++x) {
        const int row = (y - pad.top()) / 6;
        if ((y - pad.top()) % 6 == 0 || (x - pad.left() + row * 5) % 10 == 0)
          img->setPixel(x, y, kPath);
      }
    HLine(img, pad.left() + 1, pad.right() - 1, pad.bottom(), kStoneShade);
    VLine(img, pad.right(), pad.top() + 1, pad.bottom(), kStoneShade);
  }
}

void FountainDraw(QImage* img) {
  const QPoint c = kFountain;
  // Shadow of the basin on the plaza, to the lower right.
  QPainterPath shadow;
  shadow.addEllipse(QPointF(c.x() + 7, c.y() + 5), 33, 18);
  ShadeRegion(img, shadow.toFillPolygon().toPolygon());
  PixelPainter q(img);
  // The rim, seen from above: outer stone ring, then the water inside.
  OutlinedEllipse(q, QRect(c.x() - 32, c.y() - 18, 65, 37), kStoneLight, kStoneDark);
  q.setPen(Qt::NoPen);
  q.setBrush(QColor::fromRgb(kStone));
  q.drawEllipse(QRect(c.x() - 30, c.y() - 14, 61, 31));
  OutlinedEllipse(q, QRect(c.x() - 27, c.y() - 14, 55, 28), kSkyMid, kStoneShade);
  q.setPen(Qt::NoPen);
  q.setBrush(QColor::fromRgb(kSkyLow));
  q.drawEllipse(QRect(c.x() - 22, c.y() - 11, 40, 18));
  // Ripples round the jet.
  q.setBrush(Qt::NoBrush);
  q.setPen(QColor::fromRgb(kSkyPale));
  q.drawEllipse(QRect(c.x() - 12, c.y() - 5, 24, 11));
  q.setPen(QColor::fromRgb(kSkyMid));
  q.drawEllipse(QRect(c.x() - 17, c.y() - 7, 34, 15));
  // The column with its bowl, and the jet falling back around it.
  OutlinedRect(q, QRect(c.x() - 2, c.y() - 10, 5, 12), kStoneLight, kStoneDark);
  OutlinedEllipse(q, QRect(c.x() - 9, c.y() - 14, 19, 7), kStone, kStoneDark);
  q.setPen(Qt::NoPen);
  q.setBrush(QColor::fromRgb(kSkyLow));
  q.drawEllipse(QRect(c.x() - 7, c.y() - 13, 15, 4));
  q.end();
  VLine(img, c.x(), c.y() - 22, c.y() - 13, kCloud);
  VLine(img, c.x() + 1, c.y() - 21, c.y() - 14, kSkyPale);
  for (int i = 0; i < 6; ++i) {
    Dot(img, c.x() - 2 - i, c.y() - 20 + i * 2, kCloud);
    Dot(img, c.x() + 3 + i, c.y() - 20 + i * 2, i % 2 ? kSkyPale : kCloud);
  }
  for (QPoint d : {QPoint(-14, 2), QPoint(10, -3), QPoint(-5, 6), QPoint(15, 4), QPoint(-18, -3)})
    Dot(img, c.x() + d.x(), c.y() + d.y(), kCloud);
}

// A lamp post: a dark iron pole with a lit lantern; its short shadow
// falls to the lower right.
void LampDraw(QImage* img, int x, int baseY) {
  for (int i = 1; i <= 5; ++i) Dot(img, x + i, baseY - 1 + i / 2, Darker(img->pixel(x + i, baseY - 1 + i / 2)));
  VLine(img, x, baseY - 12, baseY, kIron);
  HLine(img, x - 1, x + 1, baseY, kIron);
  HLine(img, x - 1, x + 1, baseY - 13, kIron);
  HLine(img, x - 1, x + 1, baseY - 16, kIron);
  Dot(img, x - 1, baseY - 15, kIron);
  Dot(img, x + 1, baseY - 15, kIron);
  Dot(img, x, baseY - 15, kGlowCore);
  Dot(img, x, baseY - 14, kGlow);
  Dot(img, x - 1, baseY - 14, kIron);
  Dot(img, x + 1, baseY - 14, kIron);
  Dot(img, x, baseY - 17, kIron);
}

// A low flower bed with a stone edge.
void FlowerBedDraw(QImage* img, const QRect& r, unsigned seed) {
  PixelPainter p(img);
  OutlinedEllipse(p, r, kGrassShade, kStoneShade);
  p.end();
  FlowersScatter(img, r.adjusted(3, 2, -3, -2), r.width() * r.height() / 14, seed);
}

// A wooden bench seen from above, its shadow to the lower right.
void BenchDraw(QImage* img, int x, int y) {
  for (int i = 0; i < 12; ++i) Dot(img, x + 2 + i, y + 5, Darker(img->pixel(x + 2 + i, y + 5)));
  PixelPainter p(img);
  OutlinedRect(p, QRect(x, y, 12, 5), kWoodLight, kWoodDeep);
  p.fillRect(QRect(x + 1, y + 2, 10, 1), QColor::fromRgb(kWood));
  p.fillRect(QRect(x + 1, y + 5, 2, 2), QColor::fromRgb(kWoodDeep));
  p.fillRect(QRect(x + 9, y + 5, 2, 2), QColor::fromRgb(kWoodDeep));
}

// Short blades on the open lawn, never on paths or under the plots.
void GrassTufts(QImage* img) {
  unsigned s = 4321;
  for (int i = 0; i < 700; ++i) {
    s = s * 1103515245u + 12345u;
    const int x = int((s >> 8) % kWidth);
    s = s * 1103515245u + 12345u;
    const int y = kWallFoot + 6 + int((s >> 8) % (kHeight - kWallFoot - 6));
    const QRgb under = img->pixel(x, y) | 0xFF000000u;
    if (!IsGrassColour(under) || !IsGrassColour(img->pixel(x, y - 1))) continue;
    if (kWelcomeClearing.contains(x, y)) continue;
    VLine(img, x, y - 1, y, under == kGrassShade ? kLeafDeep : kGrassShade);
    Dot(img, x + 1, y, under == kGrassLight ? kGrass : kGrassLight);
  }
}

void GardenDraw(QImage* img) {
  // Beds on the plaza's lawns and along the road.
  FlowerBedDraw(img, QRect(236, 264, 44, 16), 3);
  FlowerBedDraw(img, QRect(356, 264, 40, 16), 5);
  FlowerBedDraw(img, QRect(190, 100, 36, 14), 9);
  FlowerBedDraw(img, QRect(404, 168, 40, 14), 13);
  FlowerBedDraw(img, QRect(60, 360, 60, 18), 17);
  FlowerBedDraw(img, QRect(200, 362, 56, 16), 19);
  BenchDraw(img, 252, 166);
  BenchDraw(img, 368, 244);
  BenchDraw(img, 232, 232);
  // Bushes along the far wall and the lower edge.
  for (int x : {190, 236, 404, 436, 596, 618}) BushDraw(img, x, kWallFoot + 8, 14 + x % 5);
  for (int x : {20, 150, 270, 372, 470}) BushDraw(img, x, kHeight - 2, 18 + x % 7);
  // Trees on the lawns between the plots, back to front so nearer crowns
  // overlap farther ones.
  struct Tree {
    int x, baseY, radius;
  };
  static constexpr Tree kTrees[] = {{20, 90, 11},  {196, 78, 10}, {240, 134, 8},  {418, 80, 10},
                                    {446, 138, 8}, {602, 84, 12}, {616, 142, 9},  {22, 170, 9},
                                    {174, 192, 8}, {460, 190, 8}, {612, 216, 10}, {18, 268, 12},
                                    {252, 318, 9}, {378, 316, 10}, {574, 270, 11}, {32, 396, 14},
                                    {404, 396, 12}};
  for (const Tree& t : kTrees) TreeDraw(img, t.x, t.baseY, t.radius);
  for (QPoint lamp : {QPoint(292, 268), QPoint(344, 268), QPoint(286, 330), QPoint(350, 330),
                      QPoint(234, 200), QPoint(400, 196), QPoint(30, 150), QPoint(524, 338)})
    LampDraw(img, lamp.x(), lamp.y());
}

}  // namespace

QImage MapDraw() {
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  BackdropDraw(&img);
  LawnFill(&img);
  PathsDraw(&img);
  PlotKerbs(&img);
  FountainDraw(&img);
  GardenDraw(&img);
  GrassTufts(&img);
  FlowersScatter(&img, QRect(470, 360, 50, 34), 14, 23);
  SnapToTable(img);
  return img;
}
