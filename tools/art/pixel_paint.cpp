#include "tools/art/pixel_paint.h"

#include <QFont>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/art/town_palette.h"

PixelPainter::PixelPainter(QImage* img) : QPainter(img) {
  setRenderHint(QPainter::Antialiasing, false);
  setRenderHint(QPainter::TextAntialiasing, false);
}

bool DitherPick(int x, int y, double share) {
  static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  return (kBayer[y & 3][x & 3] + 0.5) / 16.0 < share;
}

namespace {

// Maps a position between two stops to the share of the second colour:
// flat for the first and last third, dithered in between.
double SeamShare(double f) { return std::clamp((f - 0.3) / 0.4, 0.0, 1.0); }

QRgb RampColour(int x, int y, double pos, const std::vector<QRgb>& stops) {
  if (stops.size() == 1) return stops[0];
  double scaled = std::clamp(pos, 0.0, 1.0) * static_cast<double>(stops.size() - 1);
  size_t i = std::min(static_cast<size_t>(scaled), stops.size() - 2);
  double f = scaled - static_cast<double>(i);
  return DitherPick(x, y, SeamShare(f)) ? stops[i + 1] : stops[i];
}

}  // namespace

void FillRampVertical(QImage* img, const QRect& r, const std::vector<QRgb>& stops) {
  QRect area = r.intersected(img->rect());
  for (int y = area.top(); y <= area.bottom(); ++y) {
    double pos = r.height() > 1 ? double(y - r.top()) / (r.height() - 1) : 0.0;
    auto* row = reinterpret_cast<QRgb*>(img->scanLine(y));
    for (int x = area.left(); x <= area.right(); ++x) row[x] = RampColour(x, y, pos, stops);
  }
}

void FillRampRadial(QImage* img, QPoint centre, int radius, const std::vector<QRgb>& stops,
                    const QRect& clip) {
  QRect area = QRect(centre.x() - radius, centre.y() - radius, 2 * radius + 1, 2 * radius + 1)
                   .intersected(clip)
                   .intersected(img->rect());
  for (int y = area.top(); y <= area.bottom(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(img->scanLine(y));
    for (int x = area.left(); x <= area.right(); ++x) {
      double d = std::hypot(x - centre.x(), y - centre.y()) / radius;
      if (d <= 1.0) row[x] = RampColour(x, y, d, stops);
    }
  }
}

void OutlinedRect(QPainter& p, const QRect& r, QRgb fill, QRgb outline) {
  p.fillRect(r, QColor::fromRgb(outline));
  p.fillRect(r.adjusted(1, 1, -1, -1), QColor::fromRgb(fill));
}

void OutlinedPolygon(QPainter& p, const QPolygon& poly, QRgb fill, QRgb outline) {
  p.setPen(QPen(QColor::fromRgb(outline), 1));
  p.setBrush(QColor::fromRgb(fill));
  p.drawPolygon(poly);
}

void OutlinedEllipse(QPainter& p, const QRect& r, QRgb fill, QRgb outline) {
  p.setPen(QPen(QColor::fromRgb(outline), 1));
  p.setBrush(QColor::fromRgb(fill));
  p.drawEllipse(r.adjusted(0, 0, -1, -1));
}

void Dot(QImage* img, int x, int y, QRgb c) {
  if (img->rect().contains(x, y)) img->setPixel(x, y, c);
}

void HLine(QImage* img, int x0, int x1, int y, QRgb c) {
  for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x) Dot(img, x, y, c);
}

void VLine(QImage* img, int x, int y0, int y1, QRgb c) {
  for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y) Dot(img, x, y, c);
}

namespace {

// Coverage of the text as an 8-bit mask the size of the target.
QImage TextCoverage(const QSize& size, const QRect& r, const QString& text,
                    const TextStyle& style, TextAlign align) {
  QImage cover(size, QImage::Format_ARGB32);
  cover.fill(Qt::transparent);
  QPainter p(&cover);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  QFont font(style.family);
  font.setPixelSize(style.pixelSize);
  font.setBold(style.bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  p.setFont(font);
  p.setPen(Qt::black);
  int flags = Qt::AlignVCenter | Qt::TextSingleLine;
  flags |= align == TextAlign::Left ? Qt::AlignLeft
           : align == TextAlign::Right ? Qt::AlignRight
                                       : Qt::AlignHCenter;
  p.drawText(r, flags, text);
  return cover;
}

void Stamp(QImage* img, const QImage& cover, int dx, int dy, QRgb colour) {
  for (int y = 0; y < cover.height(); ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(cover.constScanLine(y));
    for (int x = 0; x < cover.width(); ++x)
      if (qAlpha(src[x]) >= 128) Dot(img, x + dx, y + dy, colour);
  }
}

}  // namespace

void CrispText(QImage* img, const QRect& r, const QString& text, const TextStyle& style,
               TextAlign align) {
  QImage cover = TextCoverage(img->size(), r, text, style, align);
  if (qAlpha(style.ring) != 0)
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (dx != 0 || dy != 0) Stamp(img, cover, dx, dy, style.ring);
  if (qAlpha(style.shadow) != 0) Stamp(img, cover, 1, 1, style.shadow);
  Stamp(img, cover, 0, 0, style.colour);
}

QImage Enlarged(const QImage& img, int factor) {
  return img.scaled(img.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QPolygon ArchPolygon(int left, int top, int right, int bottom) {
  QPolygon poly;
  double radius = (right - left) / 2.0;
  double cx = left + radius;
  double cy = top + radius;
  poly << QPoint(left, bottom);
  constexpr int kSteps = 24;
  for (int i = 0; i <= kSteps; ++i) {
    double a = std::numbers::pi * (1.0 - double(i) / kSteps);
    poly << QPoint(int(std::lround(cx + radius * std::cos(a))),
                   int(std::lround(cy - radius * std::sin(a))));
  }
  poly << QPoint(right, bottom);
  return poly;
}

namespace {

// 3x5 glyphs, one row per string, '#' set.
const char* const* Glyph(char c) {
  static const char* const kA[] = {".#.", "#.#", "###", "#.#", "#.#"};
  static const char* const kB[] = {"##.", "#.#", "##.", "#.#", "##."};
  static const char* const kC[] = {".##", "#..", "#..", "#..", ".##"};
  static const char* const kD[] = {"##.", "#.#", "#.#", "#.#", "##."};
  static const char* const kE[] = {"###", "#..", "##.", "#..", "###"};
  static const char* const kF[] = {"###", "#..", "##.", "#..", "#.."};
  static const char* const kG[] = {".##", "#..", "#.#", "#.#", ".##"};
  static const char* const kH[] = {"#.#", "#.#", "###", "#.#", "#.#"};
  static const char* const kI[] = {"###", ".#.", ".#.", ".#.", "###"};
  static const char* const kJ[] = {"..#", "..#", "..#", "#.#", ".#."};
  static const char* const kK[] = {"#.#", "#.#", "##.", "#.#", "#.#"};
  static const char* const kL[] = {"#..", "#..", "#..", "#..", "###"};
  static const char* const kM[] = {"#.#", "###", "###", "#.#", "#.#"};
  static const char* const kN[] = {"##.", "#.#", "#.#", "#.#", "#.#"};
  static const char* const kO[] = {".#.", "#.#", "#.#", "#.#", ".#."};
  static const char* const kP[] = {"##.", "#.#", "##.", "#..", "#.."};
  static const char* const kQ[] = {".#.", "#.#", "#.#", "##.", ".##"};
  static const char* const kR[] = {"##.", "#.#", "##.", "#.#", "#.#"};
  static const char* const kS[] = {".##", "#..", ".#.", "..#", "##."};
  static const char* const kT[] = {"###", ".#.", ".#.", ".#.", ".#."};
  static const char* const kU[] = {"#.#", "#.#", "#.#", "#.#", "###"};
  static const char* const kV[] = {"#.#", "#.#", "#.#", "#.#", ".#."};
  static const char* const kW[] = {"#.#", "#.#", "###", "###", "#.#"};
  static const char* const kX[] = {"#.#", "#.#", ".#.", "#.#", "#.#"};
  static const char* const kY[] = {"#.#", "#.#", ".#.", ".#.", ".#."};
  static const char* const kZ[] = {"###", "..#", ".#.", "#..", "###"};
  static const char* const kSpace[] = {"...", "...", "...", "...", "..."};
  static const char* const* const kLetters[] = {kA, kB, kC, kD, kE, kF, kG, kH, kI,
                                                kJ, kK, kL, kM, kN, kO, kP, kQ, kR,
                                                kS, kT, kU, kV, kW, kX, kY, kZ};
  if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return kLetters[c - 'A'];
  return kSpace;
}

}  // namespace

void TinyText(QImage* img, int x, int y, const char* text, int scale, QRgb colour) {
  for (const char* t = text; *t != '\0'; ++t) {
    const char* const* g = Glyph(*t);
    for (int row = 0; row < 5; ++row)
      for (int col = 0; col < 3; ++col)
        if (g[row][col] == '#')
          for (int sy = 0; sy < scale; ++sy)
            for (int sx = 0; sx < scale; ++sx)
              Dot(img, x + col * scale + sx, y + row * scale + sy, colour);
    x += 4 * scale;
  }
}

int TinyTextWidth(const char* text, int scale) {
  int n = 0;
  for (const char* t = text; *t != '\0'; ++t) ++n;
  return n == 0 ? 0 : (4 * n - 1) * scale;
}

QRgb Darker(QRgb c) {
  using namespace town;
  struct Step {
    QRgb from, to;
  };
  static constexpr Step kSteps[] = {
      {kStoneLight, kStone},   {kStone, kStoneShade},     {kStoneShade, kStoneDark},
      {kGrassLight, kGrass},   {kGrass, kGrassShade},     {kGrassShade, kLeafDeep},
      {kLeafDark, kLeafDeep},  {kWoodLight, kWood},       {kWood, kWoodDark},
      {kWoodDark, kWoodDeep},  {kPathLight, kPath},       {kPath, kPathShade},
      {kPathShade, kStoneShade}, {kRoofLight, kRoof},     {kRoof, kRoofShade},
      {kGlowCore, kGlow},      {kGlow, kGlowDeep},        {kParchment, kParchmentShade},
      {kParchmentShade, kParchmentEdge}};
  c |= 0xFF000000u;
  for (const Step& s : kSteps)
    if (s.from == c) return s.to;
  return c;
}

void ShadeRegion(QImage* img, const QPolygon& area) {
  QRect box = area.boundingRect().intersected(img->rect());
  for (int y = box.top(); y <= box.bottom(); ++y)
    for (int x = box.left(); x <= box.right(); ++x)
      if (area.containsPoint(QPoint(x, y), Qt::OddEvenFill))
        img->setPixel(x, y, Darker(img->pixel(x, y)));
}
