// The backgammon inn: a broad two-storey inn, stone below and timber
// above, under a hipped clay roof with a dormer and a smoking chimney. Its
// sign over the door is a little backgammon board; a lantern hangs beside
// the door.

#include "tools/art/building_parts.h"
#include "tools/art/houses.h"
#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"

using namespace town;

namespace {

constexpr int kGround = 90;
constexpr int kIdleFrames = 8;
constexpr QRect kDoor(50, 71, 12, kGround - 71 + 1);

// A board of ten points, red and cream, on a wooden sign.
void SignDraw(QImage* img, int x, int y) {
  PixelPainter p(img);
  OutlinedRect(p, QRect(x, y, 26, 11), kWoodDark, kWoodDeep);
  p.fillRect(QRect(x + 2, y + 2, 22, 7), QColor::fromRgb(kWoodLight));
  p.fillRect(QRect(x + 12, y + 1, 2, 9), QColor::fromRgb(kWoodDeep));
  p.end();
  // Five points on each side of the bar, pointing in from top and bottom.
  for (int half = 0; half < 2; ++half)
    for (int i = 0; i < 5; ++i) {
      const int px = x + 2 + half * 12 + i * 2;
      VLine(img, px, y + 2, y + 4, i % 2 ? kParchment : kSeal);
      Dot(img, px + 1, y + 2, i % 2 ? kParchment : kSeal);
      VLine(img, px, y + 6, y + 8, i % 2 ? kSeal : kParchment);
      Dot(img, px + 1, y + 8, i % 2 ? kSeal : kParchment);
    }
  Dot(img, x + 5, y + 5, kWhite);
  Dot(img, x + 18, y + 5, kInk);
}

void DormerDraw(QImage* img, Pane pane) {
  PixelPainter p(img);
  OutlinedRect(p, QRect(37, 29, 15, 11), kParchment, kStoneDark);
  OutlinedPolygon(p, QPolygon({QPoint(34, 30), QPoint(44, 21), QPoint(55, 30)}), kRoofLight, kStoneDark);
  p.end();
  WindowDraw(img, QRect(41, 31, 7, 7), pane, false);
}

void Structure(QImage* img, const Look& look) {
  TiledRoof(img, QPolygon({QPoint(2, 48), QPoint(16, 16), QPoint(90, 16), QPoint(104, 48)}), 88,
            kRoofLight, kRoof);
  HLine(img, 16, 90, 16, kRoofShade);
  DormerDraw(img, PaneFor(look, 2));
  ChimneyDraw(img, 68, 30, 6, 9);
  if (!look.closed) SmokeDraw(img, QPoint(70, 30), look.phase, kIdleFrames);
  TimberFace(img, QRect(6, 47, 94, 21), 13, 6);
  StoneFace(img, QRect(7, 68, 92, kGround - 68 + 1), 6);
  HLine(img, 6, 99, 68, kWoodDark);
  for (int i = 0; i < 4; ++i) {
    const int x = i < 2 ? 14 + 14 * i : 72 + 14 * (i - 2);
    WindowDraw(img, QRect(x, 52, 8, 9), PaneFor(look, i), false);
  }
  WindowDraw(img, QRect(18, 74, 12, 9), PaneFor(look, 4), true);
  WindowDraw(img, QRect(76, 74, 12, 9), PaneFor(look, 1), true);
  SignDraw(img, 43, 56);
  DoorDraw(img, kDoor, look.door, true);
  LanternDraw(img, 44, 72, look.phase + 2, !look.closed);
  if (look.closed) ClosedBoardDraw(img, kDoor.center().x() + 1, kDoor.top() + 7);
}

}  // namespace

const BuildingArt& BackgammonInn() {
  static const BuildingArt art = {
      "backgammon",
      kIdleFrames,
      16,
      kDoor,
      8,
      QPolygon({QPoint(101, 46), QPoint(108, 52), QPoint(108, 96), QPoint(99, kGround)}),
      Structure};
  return art;
}
