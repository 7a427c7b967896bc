#include "tools/art/building_parts.h"

#include <QRegion>

#include <algorithm>
#include <cmath>

#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"

using namespace town;

namespace {

bool Opaque(const QImage& img, int x, int y) {
  return img.rect().contains(x, y) && qAlpha(img.pixel(x, y)) >= 128;
}

// Darkens the right-most columns of a face: the side of the house that
// turns away from the light.
void ShadeColumns(QImage* img, const QRect& face, int width) {
  for (int y = face.top(); y <= face.bottom(); ++y)
    for (int x = face.right() - width + 1; x <= face.right(); ++x)
      if (Opaque(*img, x, y)) img->setPixel(x, y, Darker(img->pixel(x, y)));
}

}  // namespace

Pane PaneFor(const Look& look, int seed) {
  if (look.closed) return Pane::Shuttered;
  switch ((look.phase + seed) % 5) {
    case 0: return Pane::Bright;
    case 3: return Pane::Dim;
    default: return Pane::Lit;
  }
}

void StoneFace(QImage* img, const QRect& face, int shadeWidth) {
  PixelPainter p(img);
  p.fillRect(face, QColor::fromRgb(kStoneLight));
  p.end();
  for (int y = face.top(); y <= face.bottom(); ++y) {
    const int row = (y - face.top()) / 5;
    if ((y - face.top()) % 5 == 4) {
      HLine(img, face.left(), face.right(), y, kStone);
      continue;
    }
    for (int x = face.left(); x <= face.right(); ++x)
      if ((x - face.left() + row * 4) % 9 == 0) Dot(img, x, y, kStone);
  }
  ShadeColumns(img, face, shadeWidth);
}

void TimberFace(QImage* img, const QRect& face, int postStep, int shadeWidth) {
  PixelPainter p(img);
  p.fillRect(face, QColor::fromRgb(kParchment));
  const QColor beam = QColor::fromRgb(kWood);
  p.fillRect(QRect(face.left(), face.top(), face.width(), 2), beam);
  p.fillRect(QRect(face.left(), face.bottom() - 1, face.width(), 2), beam);
  for (int x = face.left(); x <= face.right() - 1; x += postStep)
    p.fillRect(QRect(x, face.top(), 2, face.height()), beam);
  p.fillRect(QRect(face.right() - 1, face.top(), 2, face.height()), beam);
  p.end();
  // A brace in every other bay, rising to the right.
  for (int x = face.left() + 2; x + postStep <= face.right(); x += 2 * postStep)
    for (int i = 0; i < postStep - 2; ++i) {
      const int y = face.bottom() - 2 - i * (face.height() - 4) / std::max(1, postStep - 2);
      Dot(img, x + i, y, kWood);
    }
  ShadeColumns(img, face, shadeWidth);
}

void TiledRoof(QImage* img, const QPolygon& shape, int splitX, QRgb light, QRgb shade) {
  PixelPainter p(img);
  p.setPen(QPen(QColor::fromRgb(light), 1));
  p.setBrush(QColor::fromRgb(light));
  p.drawPolygon(shape);
  p.end();
  const QRect box = shape.boundingRect().intersected(img->rect());
  for (int y = box.top(); y <= box.bottom(); ++y)
    for (int x = box.left(); x <= box.right(); ++x) {
      if (img->pixel(x, y) != (light | 0xFF000000u)) continue;
      QRgb c = x > splitX ? shade : light;
      // Rows of tiles with staggered joints.
      if ((box.bottom() - y) % 3 == 2 || ((x + (y / 3) * 2) % 5 == 0 && (box.bottom() - y) % 3 == 1))
        c = Darker(c);
      img->setPixel(x, y, c);
    }
}

void WindowDraw(QImage* img, const QRect& r, Pane pane, bool shutters) {
  PixelPainter p(img);
  if (shutters && pane != Pane::Shuttered) {
    // The two open leaves fold back against the wall.
    const int leaf = std::max(2, r.width() / 2);
    OutlinedRect(p, QRect(r.left() - leaf, r.top(), leaf, r.height()), kWood, kWoodDeep);
    OutlinedRect(p, QRect(r.right() + 1, r.top(), leaf, r.height()), kWoodDark, kWoodDeep);
  }
  const QRgb glass = pane == Pane::Bright ? kGlowCore
                     : pane == Pane::Lit  ? kGlow
                     : pane == Pane::Dim  ? kGlowDeep
                                          : kWood;
  OutlinedRect(p, r, glass, kWoodDeep);
  p.end();
  if (pane == Pane::Shuttered) {
    for (int x = r.left() + 2; x < r.right(); x += 2) VLine(img, x, r.top() + 1, r.bottom() - 1, kWoodDark);
    HLine(img, r.left() + 1, r.right() - 1, r.center().y(), kWoodDeep);
  } else {
    VLine(img, r.center().x(), r.top() + 1, r.bottom() - 1, kWoodDeep);
    HLine(img, r.left() + 1, r.right() - 1, r.top() + r.height() / 2 - 1, kWoodDeep);
  }
  HLine(img, r.left() - 1, r.right() + 1, r.bottom() + 1, kStoneLight);
}

void ArchedWindowDraw(QImage* img, const QRect& r, Pane pane) {
  const QRgb glass = pane == Pane::Bright ? kGlowCore
                     : pane == Pane::Lit  ? kGlow
                     : pane == Pane::Dim  ? kGlowDeep
                                          : kWood;
  PixelPainter p(img);
  OutlinedPolygon(p, ArchPolygon(r.left(), r.top(), r.right(), r.bottom()), glass, kWoodDeep);
  p.end();
  if (pane == Pane::Shuttered) {
    for (int x = r.left() + 2; x < r.right(); x += 2)
      VLine(img, x, r.top() + r.width() / 2, r.bottom() - 1, kWoodDark);
  } else {
    VLine(img, r.center().x(), r.top() + 2, r.bottom() - 1, kWoodDeep);
  }
  HLine(img, r.left() - 1, r.right() + 1, r.bottom() + 1, kStoneLight);
}

void DoorDraw(QImage* img, const QRect& r, Door door, bool arched) {
  const QPolygon outline =
      arched ? ArchPolygon(r.left(), r.top(), r.right(), r.bottom()) : QPolygon(r);
  PixelPainter p(img);
  OutlinedPolygon(p, outline, door == Door::Shut ? kWood : kGlow, kWoodDeep);
  // Planks, light and leaf stay inside the frame.
  const QPolygon inside = arched ? ArchPolygon(r.left() + 1, r.top() + 1, r.right() - 1, r.bottom())
                                 : QPolygon(r.adjusted(1, 1, -1, 0));
  p.setClipRegion(QRegion(inside) & QRegion(r.adjusted(1, 1, -1, 0)));
  p.setPen(Qt::NoPen);
  const int inner = r.width() - 2;
  if (door == Door::Shut) {
    for (int x = r.left() + 3; x < r.right(); x += 3)
      p.fillRect(QRect(x, r.top(), 1, r.height()), QColor::fromRgb(kWoodDark));
  } else {
    // The warm room inside, brightest low in the middle where the lamp is.
    p.setBrush(QColor::fromRgb(kGlowCore));
    p.drawEllipse(QRect(r.left() + inner / 4, r.top() + r.height() / 3, inner - 1, r.height()));
    const int leaf = door == Door::Ajar ? inner - 3 : 2;
    p.fillRect(QRect(r.left() + 1, r.top(), leaf, r.height()), QColor::fromRgb(kWoodDark));
    if (door == Door::Ajar)
      for (int x = r.left() + 3; x < r.left() + leaf; x += 3)
        p.fillRect(QRect(x, r.top(), 1, r.height()), QColor::fromRgb(kWoodDeep));
  }
  p.end();
  if (door == Door::Shut) Dot(img, r.left() + r.width() * 2 / 3, r.top() + r.height() * 3 / 5, kIron);
}

void ClosedBoardDraw(QImage* img, int cx, int top) {
  const int w = TinyTextWidth("CLOSED", 1) + 4;
  const QRect board(cx - w / 2, top, w, 9);
  // Two strings up to one nail.
  PixelPainter p(img);
  p.setPen(QColor::fromRgb(kWoodDeep));
  p.drawLine(board.left() + 3, top, cx, top - 3);
  p.drawLine(board.right() - 3, top, cx, top - 3);
  OutlinedRect(p, board, kParchment, kWoodDark);
  p.end();
  Dot(img, cx, top - 4, kIron);
  HLine(img, board.left() + 1, board.right() - 1, board.bottom() - 1, kParchmentShade);
  TinyText(img, board.left() + 2, top + 2, "CLOSED", 1, kSeal);
}

void ChimneyDraw(QImage* img, int x, int y, int w, int h) {
  PixelPainter p(img);
  OutlinedRect(p, QRect(x, y, w, h), kStone, kStoneDark);
  p.fillRect(QRect(x + 1, y + 1, 1, h - 2), QColor::fromRgb(kStoneLight));
  OutlinedRect(p, QRect(x - 1, y, w + 2, 3), kStoneLight, kStoneDark);
  p.fillRect(QRect(x + 1, y + 1, w - 2, 1), QColor::fromRgb(kIron));
}

void SmokeDraw(QImage* img, QPoint from, int step, int steps) {
  const QImage before = img->copy();
  for (int k = 0; k < 3; ++k) {
    const double t = std::fmod(double(step) / steps + k / 3.0, 1.0);
    // The evening breeze blows from the left, so the smoke leans over the
    // roof rather than rising off the picture.
    const double cx = from.x() + 1 + t * 22 + std::sin(t * 6.0) * 1.5;
    const double cy = from.y() - 2 - t * 11;
    const double radius = 1.8 + t * 3.0;
    const QRgb colour = t < 0.35 ? kCloud : t < 0.7 ? kCloudShade : kHillFar;
    for (int y = int(cy - radius) - 1; y <= int(cy + radius) + 1; ++y)
      for (int x = int(cx - radius) - 1; x <= int(cx + radius) + 1; ++x)
        if (std::hypot(x - cx, (y - cy) * 1.2) <= radius && Opaque(before, x, y))
          img->setPixel(x, y, colour);
  }
}

void LanternDraw(QImage* img, int x, int y, int phase, bool lit) {
  HLine(img, x - 4, x, y - 3, kIron);
  VLine(img, x, y - 3, y - 1, kIron);
  HLine(img, x - 2, x + 2, y, kIron);
  static constexpr QRgb kFlicker[] = {kGlowCore, kGlow, kGlowCore, kSun, kGlow, kGlowCore, kSun, kGlow};
  const QRgb glass = lit ? kFlicker[phase % 8] : kIronLight;
  for (int yy = y + 1; yy <= y + 5; ++yy) {
    Dot(img, x - 2, yy, kIron);
    HLine(img, x - 1, x + 1, yy, glass);
    Dot(img, x + 2, yy, kIron);
  }
  // The flame itself, brighter than the glass round it.
  if (lit) VLine(img, x, y + 2, y + 3 + phase % 2, phase % 3 == 1 ? kGlowCore : kSun);
  HLine(img, x - 2, x + 2, y + 6, kIron);
  Dot(img, x, y + 7, kIron);
}

void ApronDraw(QImage* img, const QRect& door, int halfWidth) {
  const int cx = door.center().x();
  const int top = door.bottom() + 1;
  for (int y = top; y < img->height(); ++y) {
    const int spread = halfWidth + (y - top) / 3;
    for (int x = cx - spread; x <= cx + spread; ++x) {
      QRgb c = kPath;
      if (y - top < 2) c = kStoneLight;           // the step
      else if (y - top == 2) c = kStoneShade;     // its riser
      else if ((y - top) % 4 == 2 || (x + (y / 4) * 3) % 6 == 0) c = kPathShade;
      if (x == cx - spread && y - top > 2) c = kPathLight;
      if (x == cx + spread && y - top > 2) c = kPathShade;
      Dot(img, x, y, c);
    }
  }
  VLine(img, cx - halfWidth - 1, top, top + 1, kStoneShade);
  VLine(img, cx + halfWidth + 1, top, top + 2, kStoneDark);
}

void CastShadowDraw(QImage* img, const QPolygon& area) {
  PixelPainter p(img);
  p.setPen(QPen(QColor::fromRgb(kPathShade), 1));
  p.setBrush(QColor::fromRgb(kPathShade));
  p.drawPolygon(area);
}

void LightSpillDraw(QImage* img, const QRect& door, int level) {
  if (level <= 0) return;
  const int cx = door.center().x();
  const int top = door.bottom() + 1;
  const double reach = 5.0 + 6.0 * level;
  for (int y = top; y < std::min(img->height(), top + int(reach) + 1); ++y)
    for (int x = cx - door.width(); x <= cx + door.width(); ++x) {
      if (!Opaque(*img, x, y)) continue;
      const double across = std::abs(x - cx) / (door.width() / 2.0 + (y - top) * 0.4);
      const double d = std::max(across, (y - top) / reach);
      if (d >= 1.0 || !DitherPick(x, y, 1.2 - d)) continue;
      const QRgb c = img->pixel(x, y) | 0xFF000000u;
      if (c == kPathShade || c == kStoneShade) img->setPixel(x, y, kGlowDeep);
      else if (c == kPath) img->setPixel(x, y, kGlow);
      else if (c == kPathLight || c == kStoneLight) img->setPixel(x, y, kGlowCore);
    }
}

void FigureDraw(QImage* img, const QRect& door, int step) {
  if (step < 0) return;
  // Seen from behind, walking up to the door; in the doorway it is a dark
  // shape against the light.
  static constexpr const char* kBody[] = {".hhh.", ".hhh.", "..s..", "ccccc", "Ccccc", "Ccccc",
                                          ".ccc.", ".ccc."};
  static constexpr int kFeetBelowSill[] = {13, 9, 5, 0};
  const int cx = door.center().x();
  const int feet = std::min(img->height() - 2, door.bottom() + kFeetBelowSill[std::min(step, 3)]);
  const int top = feet - 10;
  const bool inside = step >= 3;
  for (int row = 0; row < 8; ++row)
    for (int col = 0; col < 5; ++col) {
      const char k = kBody[row][col];
      if (k == '.') continue;
      QRgb c = k == 'h' ? kWoodDark : k == 's' ? kGold : k == 'C' ? kSkyMid : kSkyHigh;
      Dot(img, cx - 2 + col, top + row, inside ? kWoodDeep : c);
    }
  // Legs in stride, then the shadow to the lower right.
  const bool left = step % 2 == 0;
  for (int i = 0; i < 3; ++i) {
    Dot(img, cx - 1 - (left && i == 2 ? 1 : 0), top + 8 + i, kWoodDeep);
    Dot(img, cx + 1 + (!left && i == 2 ? 1 : 0), top + 8 + i, kWoodDeep);
  }
  if (!inside) HLine(img, cx + 2, cx + 5, feet + 1, kPathShade);
}

void OutlineSilhouette(QImage* img) {
  const QImage shape = img->copy();
  for (int y = 0; y < img->height(); ++y)
    for (int x = 0; x < img->width(); ++x) {
      if (!Opaque(shape, x, y)) continue;
      if (!Opaque(shape, x - 1, y) || !Opaque(shape, x + 1, y) || !Opaque(shape, x, y - 1) ||
          !Opaque(shape, x, y + 1))
        img->setPixel(x, y, kStoneDark);
    }
}

void Overlay(QImage* img, const QImage& layer) {
  for (int y = 0; y < std::min(img->height(), layer.height()); ++y)
    for (int x = 0; x < std::min(img->width(), layer.width()); ++x)
      if (qAlpha(layer.pixel(x, y)) >= 128) img->setPixel(x, y, layer.pixel(x, y) | 0xFF000000u);
}
