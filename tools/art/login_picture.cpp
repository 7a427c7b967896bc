// The login window's picture: a wooden notice board with a parchment sheet
// pinned to it. The fields sit on the sheet beside their painted labels and
// the buttons on a calm ledge below, all placed from the login layout.

#include "tools/art/pictures.h"
#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"

using namespace town;

namespace {

constexpr int kPlankH = 22;
constexpr int kBorder = 8;

void BoardDraw(QImage* img, const QRect& area) {
  PixelPainter p(img);
  p.fillRect(area, QColor::fromRgb(kWood));
  p.end();
  // Planks with seams, a little grain and a nail at either end.
  unsigned s = 99;
  for (int y = area.top(); y <= area.bottom(); y += kPlankH) {
    HLine(img, area.left(), area.right(), y, kWoodDark);
    HLine(img, area.left(), area.right(), y + 1, kWoodLight);
    for (int i = 0; i < area.width() / 28; ++i) {
      s = s * 1103515245u + 12345u;
      int gx = area.left() + int((s >> 8) % unsigned(area.width()));
      int gy = y + 4 + int((s >> 20) % (kPlankH - 7));
      int len = 6 + int((s >> 4) % 18);
      HLine(img, gx, std::min(gx + len, area.right()), gy, (s & 0x100) != 0 ? kWoodDark : kWoodLight);
    }
    for (int nx : {area.left() + 6, area.right() - 7}) {
      Dot(img, nx, y + kPlankH / 2, kIron);
      Dot(img, nx + 1, y + kPlankH / 2, kIronLight);
    }
  }
}

void FrameDraw(QImage* img, const QRect& r) {
  PixelPainter p(img);
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < kBorder; ++i) {
    QRgb c = i == 0 || i == kBorder - 1 ? kWoodDeep : i == 1 ? kWood : kWoodDark;
    p.setPen(QColor::fromRgb(c));
    p.drawRect(r.adjusted(i, i, -i - 1, -i - 1));
  }
  // The top and left beams catch the light.
  p.setPen(QColor::fromRgb(kWoodLight));
  p.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
  p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 1);
}

// A shadow to the lower right of a shape lying on the board.
void CastShadow(QImage* img, const QRect& r, int depth) {
  ShadeRegion(img, QPolygon(QRect(r.left() + depth, r.bottom() + 1, r.width(), depth)));
  ShadeRegion(img, QPolygon(QRect(r.right() + 1, r.top() + depth, depth, r.height() - depth)));
}

void PinDraw(QImage* img, int x, int y) {
  PixelPainter p(img);
  OutlinedEllipse(p, QRect(x - 3, y - 3, 7, 7), kSeal, kSealShade);
  p.end();
  Dot(img, x - 1, y - 1, kHaze);
  Dot(img, x + 3, y + 3, kWoodDeep);
}

void SheetDraw(QImage* img, const QRect& sheet) {
  CastShadow(img, sheet, 3);
  PixelPainter p(img);
  OutlinedRect(p, sheet, kParchment, kParchmentEdge);
  // The paper is a little darker toward its lower right edge.
  p.fillRect(QRect(sheet.right() - 4, sheet.top() + 1, 4, sheet.height() - 2),
             QColor::fromRgb(kParchmentShade));
  p.fillRect(QRect(sheet.left() + 1, sheet.bottom() - 3, sheet.width() - 2, 3),
             QColor::fromRgb(kParchmentShade));
  // A curled lower-right corner.
  OutlinedPolygon(p, QPolygon({QPoint(sheet.right() - 10, sheet.bottom()),
                               QPoint(sheet.right(), sheet.bottom() - 10),
                               QPoint(sheet.right() - 9, sheet.bottom() - 9)}),
                  kParchmentShade, kParchmentEdge);
  p.end();
  PinDraw(img, sheet.left() + 8, sheet.top() + 8);
  PinDraw(img, sheet.right() - 8, sheet.top() + 8);
  PinDraw(img, sheet.left() + 8, sheet.bottom() - 8);
}

// A sunken frame just outside a control's rectangle, so the native control
// looks seated in the picture.
void WellDraw(QImage* img, const QRect& r, QRgb dark, QRgb light, QRgb inside) {
  PixelPainter p(img);
  const QRect outer = r.adjusted(-2, -2, 2, 2);
  p.fillRect(outer, QColor::fromRgb(inside));
  p.setPen(QColor::fromRgb(dark));
  p.drawLine(outer.topLeft(), outer.topRight());
  p.drawLine(outer.topLeft(), outer.bottomLeft());
  p.setPen(QColor::fromRgb(light));
  p.drawLine(outer.bottomLeft(), outer.bottomRight());
  p.drawLine(outer.topRight(), outer.bottomRight());
}

}  // namespace

QImage LoginDraw(const std::vector<QRect>& layout) {
  const QRect window = layout[0];
  QImage img(window.size(), QImage::Format_RGB32);
  const QPoint origin = window.topLeft();
  auto at = [&](int i) { return layout[i].translated(-origin); };
  const QRect area = img.rect();
  BoardDraw(&img, area.adjusted(kBorder, kBorder, -kBorder, -kBorder));

  // The sheet spans the board above the ledge, around both fields.
  const QRect fields = at(1).united(at(2));
  const QRect sheet(area.left() + 26, fields.top() - 26, area.width() - 52, fields.height() + 46);
  SheetDraw(&img, sheet);
  const QRect buttons = at(3).united(at(4)).united(at(5));
  const QRect ledge(area.left() + kBorder, buttons.top() - 10, area.width() - 2 * kBorder,
                    buttons.height() + 20);
  {
    PixelPainter p(&img);
    OutlinedRect(p, ledge, kWoodLight, kWoodDeep);
    p.fillRect(QRect(ledge.left() + 1, ledge.top() + 1, ledge.width() - 2, 1),
               QColor::fromRgb(kParchmentShade));
    p.fillRect(QRect(ledge.left() + 1, ledge.bottom() - 2, ledge.width() - 2, 2),
               QColor::fromRgb(kWood));
  }
  for (int i = 1; i <= 2; ++i) WellDraw(&img, at(i), kParchmentEdge, kWhite, kWhite);
  for (int i = 3; i <= 5; ++i) WellDraw(&img, at(i), kWoodDark, kParchmentShade, kWood);

  TextStyle title{.family = "DejaVu Sans", .pixelSize = 22, .bold = true, .colour = kParchment,
                  .shadow = 0, .ring = kWoodDeep};
  CrispText(&img, QRect(0, kBorder + 6, area.width(), sheet.top() - kBorder - 10),
            "Welcome to Orva", title, TextAlign::Centre);
  TextStyle label{.family = "Liberation Sans", .pixelSize = 15, .bold = true, .colour = kInk};
  const int labelRight = at(1).left() - 10;
  CrispText(&img, QRect(sheet.left() + 12, at(1).top(), labelRight - sheet.left() - 12, at(1).height()),
            "User name", label, TextAlign::Right);
  CrispText(&img, QRect(sheet.left() + 12, at(2).top(), labelRight - sheet.left() - 12, at(2).height()),
            "Password", label, TextAlign::Right);
  FrameDraw(&img, area);
  SnapToTable(img);
  return img;
}
