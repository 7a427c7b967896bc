#include "platform/qt/qt_text_overlay.h"

#include <QPainter>

#include <algorithm>

namespace {
// A window redraws its few texts over and over; older runs under newer ones
// are gone anyway. The bound only keeps a busy window's list short.
constexpr size_t kMaxRuns = 256;
}  // namespace

void QtTextOverlay::Add(QtTextRun run) {
  // A run wholly under the new one can never stand again.
  std::erase_if(runs_, [&](const QtTextRun& old) { return run.area.contains(old.area); });
  if (runs_.size() >= kMaxRuns) runs_.erase(runs_.begin());
  runs_.push_back(std::move(run));
}

void QtTextOverlay::Paint(QPainter& painter, const QImage& buffer, const QRegion& region) {
  std::erase_if(runs_, [&](const QtTextRun& run) {
    if (!region.intersects(run.area)) return false;
    if (buffer.isNull() || !buffer.rect().contains(run.area) || buffer.copy(run.area) != run.after) return true;
    painter.save();
    painter.setClipRegion(region & run.area);
    painter.drawImage(run.area, run.before);
    painter.setFont(run.font);
    painter.setPen(QColor(run.colour));
    painter.drawText(run.baseline, run.text);
    painter.restore();
    return false;
  });
}
