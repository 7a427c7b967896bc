#include "tools/art/town_scenery.h"

#include <cmath>
#include <numbers>

#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"

using namespace town;

void SkyFill(QImage* img, const QRect& r) {
  FillRampVertical(img, r, {kSkyHigh, kSkyMid, kSkyLow, kSkyPale, kHaze, kGold});
}

void SunDraw(QImage* img, QPoint centre, int radius, int haloRadius) {
  for (int y = centre.y() - haloRadius; y <= centre.y() + haloRadius; ++y)
    for (int x = centre.x() - haloRadius; x <= centre.x() + haloRadius; ++x) {
      double d = std::hypot(x - centre.x(), y - centre.y());
      if (d <= radius)
        Dot(img, x, y, d <= radius - 2 ? kSun : kGlowCore);
      else if (d <= haloRadius && DitherPick(x, y, 0.5 * (1.0 - (d - radius) / (haloRadius - radius))))
        Dot(img, x, y, d < radius + (haloRadius - radius) / 3 ? kSun : kGold);
    }
}

void CloudDraw(QImage* img, QPoint at, int width) {
  PixelPainter p(img);
  const int h = width / 4;
  // Puffs along a flat base; the shade first, then the lit tops slightly up.
  const int puffs = 4;
  for (int pass = 0; pass < 2; ++pass) {
    QRgb colour = pass == 0 ? kCloudShade : kCloud;
    int lift = pass == 0 ? 0 : 2;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgb(colour));
    for (int i = 0; i < puffs; ++i) {
      int pw = width / 2 - std::abs(i - 1) * width / 10;
      int ph = h + (i == 1 ? h / 2 : 0);
      int px = at.x() + i * width / (puffs + 1);
      p.drawEllipse(QRect(px, at.y() - ph - lift, pw, ph + (pass == 0 ? 2 : 0)));
    }
    p.drawRect(QRect(at.x() + width / 8, at.y() - h / 2 - lift, width * 3 / 4, h / 2 + (pass == 0 ? 1 : 0)));
  }
}

void HillsFill(QImage* img, const QRect& r, int crestY, int amplitude, double waves, double phase,
               QRgb fill, QRgb crest) {
  for (int x = r.left(); x <= r.right(); ++x) {
    double t = double(x - r.left()) / std::max(1, r.width());
    double wave = std::sin(t * waves * 2 * std::numbers::pi + phase) +
                  0.4 * std::sin(t * waves * 5.3 * std::numbers::pi + 2 * phase);
    int top = crestY + int(std::lround(amplitude * wave / 1.4));
    for (int y = std::max(top, r.top()); y <= r.bottom(); ++y) Dot(img, x, y, fill);
    Dot(img, x, top, crest);
  }
}

void HouseDraw(QImage* img, int x, int baseY, int w, int h, Roof roof, QRgb roofColour,
               bool lit) {
  PixelPainter p(img);
  const QRect body(x, baseY - h, w, h);
  // Front wall lit, the right quarter in shade to give the house depth.
  OutlinedRect(p, body, kStoneLight, kStoneDark);
  const int side = std::max(2, w / 4);
  p.fillRect(QRect(body.right() - side, body.top() + 1, side, h - 2), QColor::fromRgb(kStone));
  // Timber beam under the roof.
  p.fillRect(QRect(body.left() + 1, body.top() + 1, w - 2, 1), QColor::fromRgb(kWood));

  const int roofH = roof == Roof::Gable ? w / 2 + 1 : w / 3 + 1;
  QPolygon shape;
  if (roof == Roof::Gable) {
    shape << QPoint(x - 2, body.top()) << QPoint(x + w / 2, body.top() - roofH)
          << QPoint(x + w + 1, body.top());
  } else {
    shape << QPoint(x - 2, body.top()) << QPoint(x + w / 4, body.top() - roofH)
          << QPoint(x + w - w / 4, body.top() - roofH) << QPoint(x + w + 1, body.top());
  }
  OutlinedPolygon(p, shape, roofColour, kStoneDark);
  // Right slope of the roof in shade.
  QPolygon shadeSlope;
  if (roof == Roof::Gable) {
    shadeSlope << QPoint(x + w / 2 + 1, body.top() - roofH + 2) << QPoint(x + w, body.top() - 1)
               << QPoint(x + w / 2 + 1, body.top() - 1);
  } else {
    shadeSlope << QPoint(x + w - w / 4, body.top() - roofH + 1) << QPoint(x + w, body.top() - 1)
               << QPoint(x + w - w / 4, body.top() - 1);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromRgb(kRoofShade));
  p.drawPolygon(shadeSlope);
  p.end();

  // Door and windows, scaled to the house.
  if (w >= 10 && h >= 8) {
    const int doorW = std::max(2, w / 6), doorH = std::max(3, h / 2);
    const int doorX = x + w / 3;
    for (int yy = baseY - doorH; yy < baseY - 1; ++yy)
      HLine(img, doorX, doorX + doorW - 1, yy, lit ? kGlowDeep : kWoodDark);
    const int winY = baseY - h + h / 3;
    const int winS = std::max(2, w / 8);
    for (int yy = winY; yy < winY + winS; ++yy) {
      HLine(img, x + 2, x + 1 + winS, yy, lit ? kGlow : kWoodDark);
      HLine(img, x + w - 3 - winS, x + w - 4, yy, lit ? kGlowDeep : kWoodDeep);
    }
  }
}

void TreeDraw(QImage* img, int x, int baseY, int radius) {
  // Long shadow first, so everything else stands on it.
  {
    PixelPainter p(img);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgb(kGrassShade));
    p.drawEllipse(QRect(x - radius / 2, baseY - radius / 3, radius * 3, radius * 2 / 3 + 1));
    const int trunkH = radius;
    OutlinedRect(p, QRect(x - radius / 5, baseY - trunkH, std::max(3, radius * 2 / 5), trunkH + 1),
                 kWood, kWoodDeep);
  }
  const QPoint c(x, baseY - radius - radius * 3 / 4);
  PixelPainter p(img);
  // Crown: dark outline, then the leaf body, then a lit cap upper left.
  OutlinedEllipse(p, QRect(c.x() - radius, c.y() - radius, 2 * radius + 1, 2 * radius + 1),
                  kLeafDark, kLeafDeep);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromRgb(kGrass));
  p.drawEllipse(QRect(c.x() - radius + 1, c.y() - radius + 1, 2 * radius - 3, 2 * radius - 4));
  p.setBrush(QColor::fromRgb(kGrassLight));
  p.drawEllipse(QRect(c.x() - radius * 2 / 3, c.y() - radius * 3 / 4, radius, radius * 3 / 4));
  p.end();
  // A few dark leaf clumps break the round edge.
  for (int i = 0; i < 5; ++i) {
    double a = 0.3 + i * 0.45;
    int lx = c.x() + int(radius * 0.55 * std::cos(a));
    int ly = c.y() + int(radius * 0.55 * std::sin(a));
    Dot(img, lx, ly, kLeafDark);
    Dot(img, lx + 1, ly, kLeafDark);
  }
}

void StoneWallFill(QImage* img, const QRect& r, int blockW, int blockH) {
  PixelPainter p(img);
  p.fillRect(r, QColor::fromRgb(kStone));
  p.end();
  for (int row = 0; r.top() + row * blockH <= r.bottom(); ++row) {
    const int y = r.top() + row * blockH;
    const int offset = (row % 2) * blockW / 2;
    HLine(img, r.left(), r.right(), y + blockH - 1, kStoneShade);
    for (int bx = r.left() - offset; bx <= r.right(); bx += blockW) {
      if (bx >= r.left()) VLine(img, bx, y, std::min(y + blockH - 2, r.bottom()), kStoneShade);
      // The upper-left edge of each block catches the light.
      HLine(img, std::max(bx + 1, r.left()), std::min(bx + blockW - 2, r.right()), y,
            y <= r.bottom() ? kStoneLight : kStone);
    }
  }
}

void BattlementDraw(QImage* img, int x0, int x1, int topY, int merlonW, int merlonH) {
  PixelPainter p(img);
  for (int x = x0; x + merlonW <= x1 + 1; x += merlonW * 2) {
    const QRect m(x, topY - merlonH, merlonW, merlonH + 1);
    OutlinedRect(p, m, kStone, kStoneDark);
    p.fillRect(QRect(m.left() + 1, m.top() + 1, 1, merlonH - 1), QColor::fromRgb(kStoneLight));
    p.fillRect(QRect(m.right() - 1, m.top() + 1, 1, merlonH - 1), QColor::fromRgb(kStoneShade));
  }
  p.fillRect(QRect(x0, topY, x1 - x0 + 1, 1), QColor::fromRgb(kStoneDark));
}

void FlowersScatter(QImage* img, const QRect& r, int count, unsigned seed) {
  static constexpr QRgb kPetals[] = {kSeal, kGlow, kWhite, kRoofLight};
  unsigned s = seed;
  auto next = [&s]() {
    s = s * 1103515245u + 12345u;
    return (s >> 16) & 0x7FFF;
  };
  for (int i = 0; i < count; ++i) {
    int x = r.left() + int(next() % unsigned(std::max(1, r.width())));
    int y = r.top() + int(next() % unsigned(std::max(1, r.height())));
    QRgb petal = kPetals[next() % 4];
    Dot(img, x, y + 1, kGrassShade);
    Dot(img, x, y, petal);
  }
}

void BushDraw(QImage* img, int x, int baseY, int width) {
  const int h = width / 2 + 2;
  PixelPainter p(img);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromRgb(kGrassShade));
  p.drawEllipse(QRect(x - width / 2 + 4, baseY - 3, width + 4, 6));
  OutlinedEllipse(p, QRect(x - width / 2, baseY - h, width, h + 1), kLeafDark, kLeafDeep);
  p.setBrush(QColor::fromRgb(kGrass));
  p.drawEllipse(QRect(x - width / 2 + 2, baseY - h + 1, width * 2 / 3, h * 2 / 3));
  p.setBrush(QColor::fromRgb(kGrassLight));
  p.drawEllipse(QRect(x - width / 2 + 4, baseY - h + 2, width / 3, h / 3));
}
