// The games library, home of the puzzles: a stone hall with two wings, a
// columned porch under a pediment that holds a clock, a hipped roof and a
// small cupola. While open the clock's long hand goes round and the tall
// windows glow with reading lamps.

#include <cmath>
#include <numbers>

#include "tools/art/building_parts.h"
#include "tools/art/houses.h"
#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"

using namespace town;

namespace {

constexpr int kGround = 98;
constexpr int kIdleFrames = 8;
constexpr QRect kDoor(50, 72, 12, kGround - 72 + 1);
constexpr QPoint kClock(56, 42);

void ClockDraw(QImage* img, int step) {
  PixelPainter p(img);
  OutlinedEllipse(p, QRect(kClock.x() - 6, kClock.y() - 6, 13, 13), kParchment, kWoodDark);
  p.end();
  for (int h = 0; h < 12; h += 3) {
    const double a = h * std::numbers::pi / 6;
    Dot(img, kClock.x() + int(std::lround(4.5 * std::sin(a))),
        kClock.y() - int(std::lround(4.5 * std::cos(a))), kStoneShade);
  }
  const double a = step * std::numbers::pi / 4;
  PixelPainter hands(img);
  hands.setPen(QColor::fromRgb(kInk));
  hands.drawLine(kClock, kClock + QPoint(int(std::lround(4 * std::sin(a))),
                                         -int(std::lround(4 * std::cos(a)))));
  hands.drawLine(kClock, kClock + QPoint(2, 1));
}

void CupolaDraw(QImage* img, Pane pane) {
  PixelPainter p(img);
  OutlinedRect(p, QRect(50, 12, 13, 12), kStoneLight, kStoneDark);
  OutlinedEllipse(p, QRect(48, 4, 17, 12), kRoofLight, kStoneDark);
  p.fillRect(QRect(49, 13, 15, 1), QColor::fromRgb(kStoneDark));
  p.end();
  ArchedWindowDraw(img, QRect(54, 15, 5, 7), pane);
  VLine(img, 56, 1, 4, kIron);
  Dot(img, 56, 1, kGlowDeep);
}

void Structure(QImage* img, const Look& look) {
  TiledRoof(img, QPolygon({QPoint(1, 53), QPoint(14, 24), QPoint(98, 24), QPoint(111, 53)}), 96,
            kRoofLight, kRoof);
  HLine(img, 14, 98, 24, kRoofShade);
  CupolaDraw(img, PaneFor(look, 3));
  // The wings, each with a tall window.
  StoneFace(img, QRect(4, 52, 28, kGround - 52 + 1), 2);
  StoneFace(img, QRect(81, 52, 28, kGround - 52 + 1), 6);
  ArchedWindowDraw(img, QRect(12, 62, 11, 22), PaneFor(look, 0));
  ArchedWindowDraw(img, QRect(89, 62, 11, 22), PaneFor(look, 2));
  // The porch: a shaded back wall, columns, a step and the pediment.
  PixelPainter p(img);
  p.fillRect(QRect(32, 56, 49, kGround - 56), QColor::fromRgb(kStoneShade));
  OutlinedRect(p, QRect(29, 93, 55, kGround - 93 + 1), kStoneLight, kStoneDark);
  p.end();
  DoorDraw(img, kDoor, look.door, true);
  for (int x : {33, 43, 66, 76}) {
    PixelPainter c(img);
    OutlinedRect(c, QRect(x, 57, 5, 36), kStoneLight, kStoneDark);
    c.fillRect(QRect(x + 3, 58, 1, 34), QColor::fromRgb(kStone));
    OutlinedRect(c, QRect(x - 1, 57, 7, 2), kStone, kStoneDark);
  }
  PixelPainter q(img);
  OutlinedPolygon(q, QPolygon({QPoint(28, 51), QPoint(56, 31), QPoint(84, 51)}), kStoneLight, kStoneDark);
  OutlinedRect(q, QRect(28, 50, 57, 8), kStone, kStoneDark);
  q.end();
  TinyText(img, 56 - TinyTextWidth("LIBRARY", 1) / 2, 52, "LIBRARY", 1, kInk);
  ClockDraw(img, look.closed ? 0 : look.phase);
  if (look.closed) ClosedBoardDraw(img, kDoor.center().x() + 1, kDoor.top() + 10);
}

}  // namespace

const BuildingArt& GamesLibrary() {
  static const BuildingArt art = {
      "puzzles",
      kIdleFrames,
      16,
      kDoor,
      12,
      QPolygon({QPoint(110, 50), QPoint(114, 54), QPoint(114, 104), QPoint(108, kGround)}),
      Structure};
  return art;
}
