// The chess hall: a long stone hall under a clay roof with a square tower
// at its right end. A checkered banner hangs on the tower and a pennant
// flies from its spire; while the room is open both ripple in the wind
// and the windows' light wavers.

#include <cmath>

#include "tools/art/building_parts.h"
#include "tools/art/houses.h"
#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"

using namespace town;

namespace {

constexpr int kGround = 116;  // the walls' foot and the door's sill
constexpr int kIdleFrames = 6;

// A ripple travelling along the cloth: true where a fold lies in shade.
bool Fold(int i, int phase, double spacing) {
  return std::sin(i * spacing - phase * 2 * 3.14159265 / kIdleFrames) > 0.35;
}

void PennantDraw(QImage* img, int phase) {
  VLine(img, 80, 1, 15, kIron);
  // The cloth keeps one outline; only its folds travel. It is tall enough
  // that the building's outline leaves its colour inside.
  for (int i = 0; i < 12; ++i) {
    const QRgb c = Fold(i, phase, 0.9) ? kSealShade : kSeal;
    VLine(img, 81 + i, 2 + i / 4, 10 - i / 4, c);
    if (!Fold(i + 1, phase, 0.9) && Fold(i, phase, 0.9)) VLine(img, 81 + i, 3 + i / 4, 4 + i / 4, kRoofLight);
  }
}

void BannerDraw(QImage* img, const QRect& r, int phase) {
  PixelPainter p(img);
  p.fillRect(QRect(r.left() - 1, r.top() - 1, r.width() + 2, 2), QColor::fromRgb(kWoodDark));
  p.end();
  for (int y = r.top() + 1; y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) {
      // A swallow-tail at the bottom.
      const int fromMiddle = std::abs(x - r.center().x());
      if (y > r.bottom() - 4 && fromMiddle < 4 - (r.bottom() - y)) continue;
      const bool edge = x == r.left() || x == r.right() || y == r.top() + 1;
      const bool dark = ((x - r.left() + 1) / 3 + (y - r.top() + 1) / 3) % 2 == 0;
      QRgb c = edge ? kGlowDeep : dark ? kInk : kParchment;
      if (Fold(x - r.left(), phase, 1.1) && !edge) c = dark ? kWoodDark : kParchmentEdge;
      Dot(img, x, y, c);
    }
}

void Structure(QImage* img, const Look& look) {
  // The hall's roof, seen from above as a broad slope up to the ridge.
  TiledRoof(img, QPolygon({QPoint(2, 81), QPoint(10, 56), QPoint(66, 56), QPoint(70, 81)}), 60,
            kRoofLight, kRoof);
  HLine(img, 10, 66, 56, kRoofShade);
  StoneFace(img, QRect(5, 80, 62, kGround - 80 + 1), 4);
  HLine(img, 4, 68, 80, kWoodDark);
  const QRect door(30, 99, 12, kGround - 99 + 1);
  DoorDraw(img, door, look.door, true);
  ArchedWindowDraw(img, QRect(12, 88, 8, 14), PaneFor(look, 0));
  ArchedWindowDraw(img, QRect(50, 88, 8, 14), PaneFor(look, 2));

  // The tower, its pyramid roof and the pennant on the spire.
  StoneFace(img, QRect(64, 28, 29, kGround - 28 + 1), 7);
  PixelPainter p(img);
  OutlinedPolygon(p, QPolygon({QPoint(61, 30), QPoint(79, 12), QPoint(96, 30)}), kRoofLight, kStoneDark);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromRgb(kRoof));
  p.drawPolygon(QPolygon({QPoint(80, 14), QPoint(95, 29), QPoint(80, 29)}));
  p.fillRect(QRect(61, 30, 36, 2), QColor::fromRgb(kStoneDark));
  p.end();
  PennantDraw(img, look.closed ? 0 : look.phase);
  ArchedWindowDraw(img, QRect(74, 38, 8, 12), PaneFor(look, 4));
  BannerDraw(img, QRect(71, 60, 14, 30), look.closed ? 0 : look.phase);
  // Merlons along the tower's top, under the roof's eaves.
  for (int x = 66; x < 92; x += 6) {
    PixelPainter m(img);
    OutlinedRect(m, QRect(x, 32, 4, 4), kStone, kStoneDark);
  }
  if (look.closed) ClosedBoardDraw(img, door.center().x() + 1, door.top() + 5);
}

}  // namespace

const BuildingArt& ChessHall() {
  static const BuildingArt art = {
      "chess",
      kIdleFrames,
      9,
      QRect(30, 99, 12, kGround - 99 + 1),
      8,
      QPolygon({QPoint(93, 58), QPoint(101, 64), QPoint(101, 122), QPoint(93, kGround)}),
      Structure};
  return art;
}
