#include "platform/qt/qt_scale.h"

#include <QGuiApplication>
#include <QtGlobal>

namespace {

int FixedFactor() {
  bool ok = false;
  const int n = qEnvironmentVariableIntValue(kScaleVariable, &ok);
  return ok && n >= 1 && n <= 4 ? n : 0;
}

}  // namespace

void QtScaleConfigure() {
  // Factors of the desktop's own (fractional ones among them) would blur
  // the pictures; the one factor is ours.
  qunsetenv("QT_SCALE_FACTOR");
  qunsetenv("QT_SCREEN_SCALE_FACTORS");
  qunsetenv("QT_AUTO_SCREEN_SCALE_FACTOR");
  if (const int n = FixedFactor()) {
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("QT_SCALE_FACTOR", QByteArray::number(n));
    return;
  }
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "1");
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Floor);
}
