// The dice house: a house built as a great die seen from above, its roof
// the face with the red one, round windows for the pips on the front and
// two pips on the shaded side. While open the pip windows light one after
// the other, as if someone counted the throw. Its left edge leaves room
// for the gate pillar it shares with the card tavern.

#include "tools/art/building_parts.h"
#include "tools/art/houses.h"
#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"

using namespace town;

namespace {

constexpr int kGround = 78;
constexpr int kIdleFrames = 6;
constexpr QRect kDoor(31, 60, 12, kGround - 60 + 1);
constexpr int kLeft = 10, kRight = 64, kTop = 31;  // the front face
constexpr QPoint kBack(10, -18);                    // how far the die reaches back

void PipWindowDraw(QImage* img, const QRect& r, Pane pane) {
  const QRgb glass = pane == Pane::Bright ? kSun
                     : pane == Pane::Lit  ? kGlow
                     : pane == Pane::Dim  ? kGlowDeep
                                          : kWood;
  PixelPainter p(img);
  OutlinedEllipse(p, r, glass, kInk);
  p.end();
  if (pane == Pane::Shuttered) {
    for (int x = r.left() + 2; x < r.right(); x += 2) VLine(img, x, r.top() + 1, r.bottom() - 1, kWoodDark);
  } else {
    Dot(img, r.left() + 2, r.top() + 2, kGlowCore);
  }
}

void Structure(QImage* img, const Look& look) {
  PixelPainter p(img);
  // The top face, the shaded side, then the front.
  const QPolygon top({QPoint(kLeft, kTop), QPoint(kRight, kTop), QPoint(kRight, kTop) + kBack,
                      QPoint(kLeft, kTop) + kBack});
  OutlinedPolygon(p, top, kWhite, kCloudShade);
  const QPolygon side({QPoint(kRight, kTop), QPoint(kRight, kTop) + kBack,
                       QPoint(kRight, kGround) + kBack, QPoint(kRight, kGround)});
  OutlinedPolygon(p, side, kParchmentShade, kParchmentEdge);
  OutlinedRect(p, QRect(kLeft, kTop, kRight - kLeft + 1, kGround - kTop + 1), kParchment,
               kParchmentEdge);
  // The one, in red, on the roof; two pips on the side.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromRgb(kSealShade));
  p.drawEllipse(QRect(39, 17, 13, 7));
  p.setBrush(QColor::fromRgb(kSeal));
  p.drawEllipse(QRect(38, 16, 12, 6));
  p.setBrush(QColor::fromRgb(kInk));
  p.drawEllipse(QRect(66, 30, 4, 6));
  p.drawEllipse(QRect(70, 50, 4, 6));
  p.end();
  Dot(img, 41, 17, kHaze);
  Dot(img, 42, 17, kHaze);
  // Rounded edges where the faces meet catch the light.
  HLine(img, kLeft + 1, kRight - 1, kTop + 1, kWhite);
  VLine(img, kLeft + 1, kTop + 1, kGround - 1, kWhite);
  // Four pips as round windows, the door where the fifth would be.
  static constexpr QPoint kPips[] = {{15, 37}, {51, 37}, {15, 63}, {51, 63}};
  for (int i = 0; i < 4; ++i) {
    Pane pane = PaneFor(look, 1);
    if (!look.closed && look.phase % 4 == i && look.phase < 4) pane = Pane::Bright;
    if (!look.closed && look.phase >= 4) pane = look.phase == 4 ? Pane::Dim : Pane::Bright;
    PipWindowDraw(img, QRect(kPips[i], QSize(9, 9)), pane);
  }
  TinyText(img, 30, 50, "DICE", 1, kInk);
  DoorDraw(img, kDoor, look.door, true);
  if (look.closed) ClosedBoardDraw(img, kDoor.center().x() + 1, kDoor.top() + 6);
}

}  // namespace

const BuildingArt& DiceHouse() {
  static const BuildingArt art = {
      "dice",
      kIdleFrames,
      9,
      kDoor,
      7,
      QPolygon({QPoint(75, 40), QPoint(78, 43), QPoint(78, 84), QPoint(68, 84), QPoint(65, kGround)}),
      Structure};
  return art;
}
