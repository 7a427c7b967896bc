#include "tools/art/layout_file.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

std::vector<QRect> LayoutRead(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QStringList words =
      QString::fromLatin1(file.readAll()).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
  std::vector<int> numbers;
  for (const QString& w : words) {
    bool ok = false;
    int v = w.toInt(&ok);
    if (!ok || v < -32768 || v > 32767) return {};
    numbers.push_back(v);
  }
  if (numbers.empty() || numbers[0] < 0) return {};
  const size_t count = static_cast<size_t>(numbers[0]);
  if (numbers.size() != 1 + 4 * count) return {};
  std::vector<QRect> rects;
  for (size_t i = 0; i < count; ++i) {
    const int* n = &numbers[1 + 4 * i];
    rects.push_back(QRect(QPoint(n[0], n[1]), QPoint(n[2] - 1, n[3] - 1)));
  }
  return rects;
}
