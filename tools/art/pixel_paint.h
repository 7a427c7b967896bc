// Small drawing helpers shared by every picture: pixel-clean shapes with a
// one-pixel outline, dithered ramps between table colours, crisp text.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QRect>
#include <QString>

#include <initializer_list>
#include <vector>

// A painter on the image with antialiasing off, so edges stay on whole pixels.
class PixelPainter : public QPainter {
 public:
  explicit PixelPainter(QImage* img);
};

// True where a 4x4 ordered dither says "take the second colour" for the
// given share (0..1) of it.
bool DitherPick(int x, int y, double share);

// Vertical ramp through the stops, top to bottom. Each step between two
// stops stays flat at both ends and dithers only across its middle, so the
// ramp reads as calm bands with soft seams rather than a noisy gradient.
void FillRampVertical(QImage* img, const QRect& r, const std::vector<QRgb>& stops);

// Same idea on a disc: stops go from the centre outwards (a glow).
void FillRampRadial(QImage* img, QPoint centre, int radius, const std::vector<QRgb>& stops,
                    const QRect& clip);

// Filled rectangle with a one-pixel outline in the outline colour.
void OutlinedRect(QPainter& p, const QRect& r, QRgb fill, QRgb outline);

// Filled polygon with a one-pixel outline.
void OutlinedPolygon(QPainter& p, const QPolygon& poly, QRgb fill, QRgb outline);

// Filled ellipse in the rectangle with a one-pixel outline.
void OutlinedEllipse(QPainter& p, const QRect& r, QRgb fill, QRgb outline);

// Single pixel, and horizontal or vertical runs.
void Dot(QImage* img, int x, int y, QRgb c);
void HLine(QImage* img, int x0, int x1, int y, QRgb c);
void VLine(QImage* img, int x, int y0, int y1, QRgb c);

enum class TextAlign { Left, Centre, Right };

struct TextStyle {
  QString family = "Liberation Sans";
  int pixelSize = 14;
  bool bold = false;
  QRgb colour = 0xFF000000;
  // A one-pixel shadow to the lower right (the town's light falls from the
  // upper left), or none when transparent.
  QRgb shadow = 0;
  // A one-pixel ring all around the letters, or none when transparent.
  QRgb ring = 0;
};

// Draws one line of text, vertically centred in the rectangle. The letters
// are rendered smooth and then cut at half coverage, so they stay crisp and
// keep to the table's colours.
void CrispText(QImage* img, const QRect& r, const QString& text, const TextStyle& style,
               TextAlign align);

// Nearest-neighbour enlargement for previews.
QImage Enlarged(const QImage& img, int factor);

// An arch-topped rectangle: straight sides, a half-circle top.
QPolygon ArchPolygon(int left, int top, int right, int bottom);

// Letters from a 3x5 pixel font (A-Z and space), each pixel drawn as a
// scale x scale block, one blank column between letters. For signs too
// small for an outline font.
void TinyText(QImage* img, int x, int y, const char* text, int scale, QRgb colour);

// Width in pixels of TinyText for the same text and scale.
int TinyTextWidth(const char* text, int scale);

// Darkens every pixel inside the polygon one step along its material's
// ramp (stone, grass, wood, path, roof), for cast shadows.
void ShadeRegion(QImage* img, const QPolygon& area);

// The one-step-darker colour of a town colour (itself when it has none).
QRgb Darker(QRgb c);
