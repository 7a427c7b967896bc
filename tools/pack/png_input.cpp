#include "tools/pack/png_input.h"

#include <QImage>
#include <QString>
#include <unordered_map>

#include "media/palette.h"

namespace {

bool Load(const std::string& path, QImage* image, std::string* error) {
  if (!image->load(QString::fromStdString(path), "PNG")) {
    *error = "cannot read the PNG " + path;
    return false;
  }
  if (image->format() == QImage::Format_Mono || image->format() == QImage::Format_MonoLSB)
    *image = image->convertToFormat(QImage::Format_Indexed8);
  return true;
}

int Distance(Pixel a, QRgb b) {
  const int dr = static_cast<int>((a >> 16) & 0xFF) - qRed(b);
  const int dg = static_cast<int>((a >> 8) & 0xFF) - qGreen(b);
  const int db = static_cast<int>(a & 0xFF) - qBlue(b);
  return dr * dr + dg * dg + db * db;
}

uint8_t Nearest(const std::vector<Pixel>& table, QRgb c) {
  size_t best = 0;
  int bestDistance = Distance(table[0], c);
  for (size_t k = 1; k < table.size() && bestDistance; ++k) {
    const int d = Distance(table[k], c);
    if (d < bestDistance) {
      bestDistance = d;
      best = k;
    }
  }
  return static_cast<uint8_t>(best);
}

void SetOpaque(IndexedPicture* out, size_t i, bool opaque) {
  if (!opaque && out->opaque.empty()) out->opaque.assign(out->indices.size(), 1);
  if (!out->opaque.empty()) out->opaque[i] = opaque ? 1 : 0;
}

}  // namespace

bool PictureFromPng(const std::string& png, const std::string& tablePng, IndexedPicture* out, std::string* error) {
  QImage image;
  if (!Load(png, &image, error)) return false;
  std::vector<Pixel> table;
  if (!tablePng.empty()) {
    QImage t;
    if (!Load(tablePng, &t, error)) return false;
    if (t.format() != QImage::Format_Indexed8 || t.colorCount() == 0) {
      *error = "the colour table PNG " + tablePng + " is not an indexed PNG";
      return false;
    }
    for (QRgb c : t.colorTable()) table.push_back(PixelFromRgb(qRed(c), qGreen(c), qBlue(c)));
  }

  *out = IndexedPicture{};
  out->width = image.width();
  out->height = image.height();
  out->indices.assign(static_cast<size_t>(out->width) * static_cast<size_t>(out->height), 0);

  if (image.format() == QImage::Format_Indexed8 && table.empty()) {
    const QList<QRgb> colors = image.colorTable();
    for (QRgb c : colors) out->colors.push_back(PixelFromRgb(qRed(c), qGreen(c), qBlue(c)));
    for (int y = 0; y < out->height; ++y) {
      const uchar* line = image.constScanLine(y);
      for (int x = 0; x < out->width; ++x) {
        const size_t i = static_cast<size_t>(y) * static_cast<size_t>(out->width) + static_cast<size_t>(x);
        out->indices[i] = line[x];
        const bool opaque = line[x] < colors.size() && qAlpha(colors[line[x]]) >= 128;
        SetOpaque(out, i, opaque);
      }
    }
    return true;
  }

  // Mapped to a table: the given one travels in the block, the default does
  // not need to.
  if (table.empty()) {
    const Palette& d = DefaultPalette();
    table.assign(d.colors, d.colors + kPaletteSize);
  } else {
    out->colors = table;
  }
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  std::unordered_map<QRgb, uint8_t> cache;
  for (int y = 0; y < out->height; ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < out->width; ++x) {
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(out->width) + static_cast<size_t>(x);
      const QRgb c = line[x] | 0xFF000000u;
      auto it = cache.find(c);
      if (it == cache.end()) it = cache.emplace(c, Nearest(table, c)).first;
      out->indices[i] = it->second;
      SetOpaque(out, i, qAlpha(line[x]) >= 128);
    }
  }
  return true;
}
