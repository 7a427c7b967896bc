// What the harness reads off the screen and writes as PNG on Qt.

#include "tests/support/harness_screen.h"
#include "tests/support/toolkit_harness.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstring>

#include "platform/window.h"

bool HarnessWritePng(const std::vector<uint32_t>& pixels, int32_t width, int32_t height,
                     const std::string& path) {
  if (pixels.empty()) return false;
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    std::memcpy(image.scanLine(y), pixels.data() + static_cast<size_t>(y) * width,
                static_cast<size_t>(width) * 4);
  }
  return image.save(QString::fromStdString(path), "PNG");
}

std::vector<uint32_t> HarnessGrabPresentedPlatform(PlatformWindow handle, int32_t width, int32_t height) {
  int32_t x = 0;
  int32_t y = 0;
  PlatformWindowClientOrigin(handle, &x, &y);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen || width <= 0 || height <= 0) return {};
  const QImage image =
      screen->grabWindow(0, x, y, width, height).toImage().convertToFormat(QImage::Format_RGB32);
  if (image.width() != width || image.height() != height) return {};
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int row = 0; row < height; ++row) {
    const auto* line = reinterpret_cast<const uint32_t*>(image.constScanLine(row));
    for (int column = 0; column < width; ++column) {
      pixels[static_cast<size_t>(row) * width + column] = line[column] & 0xFFFFFF;
    }
  }
  return pixels;
}

