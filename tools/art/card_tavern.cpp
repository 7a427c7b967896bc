// The card tavern: stone below, timber and plaster above, a long clay roof
// with a smoking chimney, a lantern by the door and a sign with a red
// heart hanging from its bracket. Its right edge leaves room for the gate
// pillar it shares with the dice house next door.

#include "tools/art/building_parts.h"
#include "tools/art/houses.h"
#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"

using namespace town;

namespace {

constexpr int kGround = 94;
constexpr int kIdleFrames = 8;
constexpr QRect kDoor(42, 76, 12, kGround - 76 + 1);

// A heart on a parchment board, hung from an iron bracket by two rings.
void SignDraw(QImage* img) {
  HLine(img, 2, 15, 56, kIron);
  Dot(img, 14, 55, kIron);
  Dot(img, 13, 57, kIron);
  Dot(img, 4, 57, kIron);
  Dot(img, 11, 57, kIron);
  PixelPainter p(img);
  OutlinedRect(p, QRect(1, 58, 14, 14), kParchment, kWoodDark);
  p.fillRect(QRect(2, 70, 12, 1), QColor::fromRgb(kParchmentShade));
  p.end();
  static constexpr const char* kHeart[] = {".##.##.", "#######", "#######", ".#####.", "..###..", "...#..."};
  for (int row = 0; row < 6; ++row)
    for (int col = 0; col < 7; ++col)
      if (kHeart[row][col] == '#') Dot(img, 5 + col, 61 + row, row == 0 && col < 3 ? kRoofLight : kSeal);
}

void Structure(QImage* img, const Look& look) {
  TiledRoof(img, QPolygon({QPoint(13, 52), QPoint(22, 24), QPoint(84, 24), QPoint(92, 52)}), 80,
            kRoof, kRoofShade);
  HLine(img, 22, 84, 24, kRoofShade);
  ChimneyDraw(img, 27, 39, 6, 8);
  if (!look.closed) SmokeDraw(img, QPoint(29, 39), look.phase, kIdleFrames);
  // Timbered upper floor over a stone ground floor.
  TimberFace(img, QRect(16, 52, 73, 20), 12, 5);
  StoneFace(img, QRect(17, 72, 71, kGround - 72 + 1), 5);
  HLine(img, 16, 88, 72, kWoodDark);
  for (int i = 0; i < 3; ++i)
    WindowDraw(img, QRect(26 + 22 * i, 57, 8, 9), PaneFor(look, i), true);
  WindowDraw(img, QRect(24, 78, 10, 8), PaneFor(look, 3), false);
  WindowDraw(img, QRect(64, 78, 12, 8), PaneFor(look, 1), false);
  DoorDraw(img, kDoor, look.door, false);
  LanternDraw(img, 60, 77, look.phase, !look.closed);
  SignDraw(img);
  if (look.closed) ClosedBoardDraw(img, kDoor.center().x() + 1, kDoor.top() + 6);
}

}  // namespace

const BuildingArt& CardTavern() {
  static const BuildingArt art = {
      "cards",
      kIdleFrames,
      16,
      kDoor,
      8,
      QPolygon({QPoint(90, 50), QPoint(99, 56), QPoint(99, 100), QPoint(90, kGround)}),
      Structure};
  return art;
}
