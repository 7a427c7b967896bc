// The go pavilion: red columns and paper screens on a stone plinth under
// two tiers of jade-glazed roof with upturned eaves, a gilt finial and a
// board with stones under the upper eaves. While open the paper lanterns
// at the eaves' tips flicker and the screens glow.

#include "tools/art/building_parts.h"
#include "tools/art/houses.h"
#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"

using namespace town;

namespace {

constexpr int kGround = 88;
constexpr int kIdleFrames = 6;
constexpr QRect kDoor(41, 62, 12, kGround - 62 + 1);

// Jade tiles: not town colours, but entries of the same table.
constexpr QRgb kJadeLight = qRgb(102, 153, 153);
constexpr QRgb kJade = qRgb(51, 102, 102);
constexpr QRgb kJadeDark = qRgb(0, 51, 51);

void JadeRoof(QImage* img, const QPolygon& shape, int splitX) {
  PixelPainter p(img);
  OutlinedPolygon(p, shape, kJadeLight, kJadeDark);
  p.end();
  const QRect box = shape.boundingRect();
  for (int y = box.top() + 1; y < box.bottom(); ++y)
    for (int x = box.left() + 1; x < box.right(); ++x) {
      if (img->pixel(x, y) != (kJadeLight | 0xFF000000u)) continue;
      // Ribs of round tiles running down the slope.
      if (x > splitX || (x - box.left()) % 4 == 3) img->setPixel(x, y, kJade);
      if ((box.bottom() - y) % 4 == 0 && (x - box.left()) % 4 == 3) img->setPixel(x, y, kJadeDark);
    }
}

void PaperLanternDraw(QImage* img, int cx, int top, int phase, bool lit) {
  VLine(img, cx, top, top + 1, kIron);
  PixelPainter p(img);
  OutlinedEllipse(p, QRect(cx - 3, top + 2, 7, 8), lit ? kSeal : kSealShade, kSealShade);
  p.end();
  HLine(img, cx - 1, cx + 1, top + 2, kIron);
  HLine(img, cx - 1, cx + 1, top + 9, kIron);
  if (lit) {
    static constexpr QRgb kCore[] = {kGlowCore, kGlow, kSun, kGlowCore, kGlow, kGlowDeep};
    VLine(img, cx, top + 4, top + 7, kCore[phase % 6]);
    Dot(img, cx - 1, top + 5, kRoofLight);
  }
}

// A small go board with a few stones, under the upper eaves.
void BoardDraw(QImage* img, int x, int y) {
  PixelPainter p(img);
  OutlinedRect(p, QRect(x, y, 11, 9), kWoodLight, kWoodDark);
  p.end();
  for (int i = 2; i < 10; i += 3) VLine(img, x + i, y + 1, y + 7, kWood);
  for (int j = 2; j < 8; j += 3) HLine(img, x + 1, x + 9, y + j, kWood);
  Dot(img, x + 2, y + 2, kInk);
  Dot(img, x + 5, y + 5, kInk);
  Dot(img, x + 8, y + 2, kWhite);
  Dot(img, x + 5, y + 2, kWhite);
}

void Structure(QImage* img, const Look& look) {
  // Upper tier first, so the lower roof lies over its foot.
  JadeRoof(img, QPolygon({QPoint(15, 28), QPoint(20, 34), QPoint(74, 34), QPoint(79, 28), QPoint(64, 14),
                          QPoint(30, 14)}),
           62);
  // The gilt finial: wide enough that the outline leaves its gold showing.
  {
    PixelPainter p(img);
    OutlinedRect(p, QRect(45, 9, 5, 6), kGlowDeep, kWoodDark);
    OutlinedEllipse(p, QRect(44, 3, 7, 7), kGlow, kWoodDark);
  }
  Dot(img, 46, 5, kGlowCore);
  {
    PixelPainter p(img);
    OutlinedRect(p, QRect(24, 34, 47, 8), kSeal, kSealShade);
  }
  BoardDraw(img, 42, 34);
  // Columns and screens between them on the plinth.
  {
    PixelPainter p(img);
    OutlinedRect(p, QRect(8, 83, 79, kGround - 83 + 1), kStoneLight, kStoneDark);
    p.fillRect(QRect(9, kGround - 1, 77, 1), QColor::fromRgb(kStone));
    p.fillRect(QRect(12, 56, 70, 27), QColor::fromRgb(kParchment));
  }
  const QRgb glow = look.closed ? kParchmentEdge : (look.phase % 3 == 0 ? kGlowCore : kParchment);
  for (int y = 56; y < 83; ++y)
    for (int x = 12; x < 82; ++x) {
      const bool lattice = (x - 12) % 5 == 0 || (y - 56) % 6 == 0;
      img->setPixel(x, y, lattice ? (look.closed ? kWoodDark : kWood) : glow);
    }
  for (int x : {12, 32, 59, 78}) {
    PixelPainter p(img);
    OutlinedRect(p, QRect(x, 52, 4, 32), kSeal, kSealShade);
    p.fillRect(QRect(x + 1, 53, 1, 30), QColor::fromRgb(kRoofLight));
  }
  DoorDraw(img, kDoor, look.door, false);
  JadeRoof(img, QPolygon({QPoint(1, 48), QPoint(6, 56), QPoint(88, 56), QPoint(93, 48), QPoint(82, 40),
                          QPoint(12, 40)}),
           80);
  PaperLanternDraw(img, 6, 56, look.phase, !look.closed);
  PaperLanternDraw(img, 88, 56, look.phase + 3, !look.closed);
  if (look.closed) ClosedBoardDraw(img, kDoor.center().x() + 1, kDoor.top() + 8);
}

}  // namespace

const BuildingArt& GoPavilion() {
  static const BuildingArt art = {
      "go",
      kIdleFrames,
      12,
      kDoor,
      7,
      QPolygon({QPoint(90, 54), QPoint(100, 60), QPoint(100, 94), QPoint(87, kGround)}),
      Structure};
  return art;
}
