#include "tests/windows/window_peek.h"

#include "platform/qt/qt_window_record.h"

std::string WindowTitleOf(PlatformWindow window) {
  return window ? window->windowTitle().toStdString() : std::string();
}

bool WindowStaysOnTop(PlatformWindow window) {
  return window && (window->windowFlags() & Qt::WindowStaysOnTopHint);
}
