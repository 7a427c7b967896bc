#pragma once
// Sharp text in a scaled window. The program draws text into its window's
// logical buffer like any other pixels; enlarged by whole pixels that text
// would look blocky. So each text drawn into a window's buffer is kept as a
// run: the pixels under it before and after, and what was drawn. While the
// buffer still holds exactly the after-pixels, the window paints the
// before-pixels enlarged and the text over them at the screen's own
// resolution; once anything changed those pixels the run is dropped and
// the buffer shows as it is.

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>

#include <vector>

class QPainter;

struct QtTextRun {
  QRect area;       // logical pixels the text could touch (rect, clip, buffer)
  QImage before;    // area of the buffer before the text
  QImage after;     // and after it
  QFont font;
  QString text;
  QPoint baseline;  // where the text starts on its baseline
  QRgb colour;
};

class QtTextOverlay {
 public:
  void Add(QtTextRun run);
  // Paints the runs still standing in region over what the buffer painted.
  void Paint(QPainter& painter, const QImage& buffer, const QRegion& region);
  void Clear() { runs_.clear(); }

 private:
  std::vector<QtTextRun> runs_;
};
