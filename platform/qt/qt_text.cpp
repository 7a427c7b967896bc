// Text on Qt: a QFont in pixel sizes, QFontMetrics for measuring, and a
// QPainter on a QImage that wraps the caller's buffer for drawing.

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>

#include "platform/qt/qt_state.h"
#include "platform/qt/qt_window_record.h"
#include "platform/text.h"

struct PlatformFontRecord {
  QFont font;
};

namespace {

// Letter frequencies of English text per thousand characters (space
// included): the classic weighting behind a font's "average character
// width". A width asked for is matched against this average, so a face keeps
// the look it was designed for when the width is its own.
constexpr int kLetterWeights[26] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20,
                                    56, 56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2};
constexpr int kSpaceWeight = 166;

double WeightedAverageWidth(const QFont& font) {
  const QFontMetricsF metrics(font);
  double sum = kSpaceWeight * metrics.horizontalAdvance(QLatin1Char(' '));
  for (int i = 0; i < 26; ++i) {
    sum += kLetterWeights[i] * metrics.horizontalAdvance(QLatin1Char(static_cast<char>('a' + i)));
  }
  return sum / 1000.0;
}

QFont FontOrDefault(PlatformFont font) {
  return font ? font->font : QGuiApplication::font();
}

QString Latin1(const char* text) {
  return text ? QString::fromLatin1(text) : QString();
}

}  // namespace

QFont QtFontOf(PlatformFont font) { return FontOrDefault(font); }

PlatformFont PlatformFontCreate(const char* face, int32_t pixelHeight, int32_t averageWidth,
                                uint32_t style) {
  // Fonts need the application's font database.
  if (!QGuiApplication::instance() || !face || pixelHeight <= 0) return nullptr;
  auto* record = new (std::nothrow) PlatformFontRecord;
  if (!record) return nullptr;
  QFont& font = record->font;
  font.setFamily(QString::fromLatin1(face));
  font.setPixelSize(pixelHeight);
  font.setBold((style & kPlatformFontBold) != 0);
  font.setItalic((style & kPlatformFontItalic) != 0);
  font.setUnderline((style & kPlatformFontUnderline) != 0);
  if (averageWidth > 0) {
    const double natural = WeightedAverageWidth(font);
    if (natural > 0) {
      const double stretch = std::round(100.0 * averageWidth / natural);
      const int clamped = static_cast<int>(std::clamp(stretch, 1.0, 4000.0));
      if (clamped != 100) font.setStretch(clamped);
    }
  }
  return record;
}

void PlatformFontDelete(PlatformFont font) { delete font; }

int32_t PlatformTextWidth(PlatformFont font, const char* text) {
  if (!QGuiApplication::instance() || !text || !*text) return 0;
  return QFontMetrics(FontOrDefault(font)).horizontalAdvance(Latin1(text));
}

int32_t PlatformFontHeight(PlatformFont font) {
  if (!QGuiApplication::instance()) return 0;
  const QFontMetrics metrics(FontOrDefault(font));
  return metrics.ascent() + metrics.descent();
}

void PlatformTextDraw(uint32_t* pixels, int32_t width, int32_t height, const PlatformRect& rect,
                      const PlatformRect& clip, PlatformFont font, const char* text,
                      uint32_t colour, PlatformTextAlign align) {
  if (!QGuiApplication::instance() || !pixels || !text || !*text) return;
  if (width <= 0 || height <= 0 || width > INT_MAX / 4) return;
  const int32_t left = std::max({rect.left, clip.left, int32_t{0}});
  const int32_t top = std::max({rect.top, clip.top, int32_t{0}});
  const int32_t right = std::min({rect.right, clip.right, width});
  const int32_t bottom = std::min({rect.bottom, clip.bottom, height});
  if (left >= right || top >= bottom) return;

  const QFont qfont = FontOrDefault(font);
  const QFontMetrics metrics(qfont);
  const QString string = Latin1(text);
  // Placed with the same measures the callers get, so a text measured to fit
  // is drawn where they expect. 64-bit: rect may be anywhere.
  const int64_t textWidth = metrics.horizontalAdvance(string);
  const int64_t lineHeight = metrics.ascent() + metrics.descent();
  const int64_t rectWidth = int64_t{rect.right} - rect.left;
  const int64_t rectHeight = int64_t{rect.bottom} - rect.top;
  int64_t x = rect.left;
  if (align == kPlatformTextRight) x = rect.right - textWidth;
  if (align == kPlatformTextCentre) x = rect.left + (rectWidth - textWidth) / 2;
  const int64_t y = rect.top + (rectHeight - lineHeight) / 2;
  // Glyphs may overhang their advance a little (italics); anything further
  // away cannot reach the area.
  const int64_t slack = lineHeight + 16;
  if (x + textWidth + slack <= left || x - slack >= right) return;
  if (y + lineHeight + slack <= top || y - slack >= bottom) return;

  QImage image(reinterpret_cast<uchar*>(pixels), width, height, width * 4, QImage::Format_RGB32);
  const QRect area(left, top, right - left, bottom - top);
  const QPoint baseline(static_cast<int>(x), static_cast<int>(y + metrics.ascent()));
  // Text in a window shown enlarged is drawn again at the screen's resolution.
  PlatformWindowRecord* shown = QtWindowOfBuffer(pixels);
  if (shown && shown->devicePixelRatioF() <= 1.0) shown = nullptr;
  const QImage before = shown ? image.copy(area) : QImage();
  {
    QPainter painter(&image);
    painter.setClipRect(area);
    painter.setFont(qfont);
    painter.setPen(QColor(QRgb(colour & 0x00FFFFFF)));
    painter.drawText(baseline, string);
  }
  // Qt writes opaque pixels as 0xFFRRGGBB; the program's pixels keep the top
  // byte 0.
  for (int32_t row = top; row < bottom; ++row) {
    uint32_t* p = pixels + static_cast<size_t>(row) * static_cast<size_t>(width);
    for (int32_t column = left; column < right; ++column) p[column] &= 0x00FFFFFF;
  }
  if (shown) {
    shown->textOverlay.Add({area, before, image.copy(area), qfont, string, baseline, QRgb(colour & 0x00FFFFFF)});
  }
}
