// The program's icon for the desktop's menus: the splash's emblem on a
// rounded tile of evening sky over a strip of lawn.

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QPainter>
#include <QPainterPath>

#include <vector>

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

namespace {

void PutLe16(QByteArray* out, int v) {
  out->append(static_cast<char>(v & 0xFF));
  out->append(static_cast<char>((v >> 8) & 0xFF));
}

void PutLe32(QByteArray* out, uint32_t v) {
  PutLe16(out, static_cast<int>(v & 0xFFFF));
  PutLe16(out, static_cast<int>(v >> 16));
}

// One icon image as Windows keeps it: a 32-bit bitmap of twice the height
// (the colours bottom-up, then the one-bit mask, set where it is clear).
QByteArray IconBitmap(const QImage& image) {
  const QImage img = image.convertToFormat(QImage::Format_ARGB32);
  const int w = img.width();
  const int h = img.height();
  const int maskRow = (w + 31) / 32 * 4;
  QByteArray out;
  PutLe32(&out, 40);
  PutLe32(&out, static_cast<uint32_t>(w));
  PutLe32(&out, static_cast<uint32_t>(2 * h));
  PutLe16(&out, 1);
  PutLe16(&out, 32);
  PutLe32(&out, 0);
  PutLe32(&out, static_cast<uint32_t>(w * h * 4 + maskRow * h));
  for (int i = 0; i < 4; ++i) PutLe32(&out, 0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const QRgb p = img.pixel(x, y);
      out.append(static_cast<char>(qBlue(p)));
      out.append(static_cast<char>(qGreen(p)));
      out.append(static_cast<char>(qRed(p)));
      out.append(static_cast<char>(qAlpha(p)));
    }
  }
  for (int y = h - 1; y >= 0; --y) {
    QByteArray row(maskRow, '\0');
    for (int x = 0; x < w; ++x) {
      if (qAlpha(img.pixel(x, y)) == 0) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    }
    out.append(row);
  }
  return out;
}

}  // namespace

bool ProgramIconWriteIco(const QString& path) {
  // Bitmaps up to 48 pixels, which every version of the system reads; the
  // largest as PNG, as the system keeps its large icons.
  const int sizes[] = {16, 24, 32, 48, 256};
  std::vector<QByteArray> images;
  for (int size : sizes) {
    const QImage img = ProgramIconDraw(size);
    if (size < 256) {
      images.push_back(IconBitmap(img));
      continue;
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !img.save(&buffer, "PNG")) return false;
    images.push_back(png);
  }
  QByteArray out;
  PutLe16(&out, 0);
  PutLe16(&out, 1);
  PutLe16(&out, static_cast<int>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const int size = sizes[i];
    out.append(static_cast<char>(size >= 256 ? 0 : size));
    out.append(static_cast<char>(size >= 256 ? 0 : size));
    out.append('\0');
    out.append('\0');
    PutLe16(&out, 1);
    PutLe16(&out, 32);
    PutLe32(&out, static_cast<uint32_t>(images[i].size()));
    PutLe32(&out, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const QByteArray& image : images) out.append(image);
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}
