// The program's icon for the desktop's menus: the splash's emblem on a
// rounded tile of evening sky over a strip of lawn.

#include <QPainter>
#include <QPainterPath>

#include "tools/art/pictures.h"
#include "tools/art/town_palette.h"
#include "tools/art/town_scenery.h"

using namespace town;

namespace {

// The emblem's own size in pixels: the tile is drawn once at this size.
constexpr int kBase = 72;

QImage BaseDraw() {
  QImage scene(kBase, kBase, QImage::Format_ARGB32);
  SkyFill(&scene, QRect(0, 0, kBase, kBase));
  HillsFill(&scene, QRect(0, 52, kBase, kBase - 52), 60, 3, 1.4, 0.6, kGrass, kGrassLight);
  EmblemDraw(&scene, 32, 67);

  // Only the rounded tile is kept; its edge is smoothed, the rest stays crisp.
  QImage tile(kBase, kBase, QImage::Format_ARGB32);
  tile.fill(Qt::transparent);
  QPainter p(&tile);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(0.5, 0.5, kBase - 1, kBase - 1), 12, 12);
  p.setClipPath(shape);
  p.drawImage(0, 0, scene);
  p.setClipping(false);
  p.setPen(QPen(QColor::fromRgb(kWoodDeep), 1.5));
  p.drawPath(shape);
  return tile;
}

}  // namespace

QImage ProgramIconDraw(int size) {
  const QImage base = BaseDraw();
  if (size <= kBase) return base.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  // Larger sizes enlarge by whole pixels first, so the pixel art stays
  // sharp, and only smooth the last step down.
  const int factor = (size + kBase - 1) / kBase;
  const QImage big = base.scaled(kBase * factor, kBase * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  if (big.width() == size) return big;
  return big.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
