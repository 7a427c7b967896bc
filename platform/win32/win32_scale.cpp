#include "platform/win32/win32_scale.h"

#include <cstdlib>

namespace {

int32_t g_scale = 1;

int32_t FromDensity() {
  HDC screen = GetDC(nullptr);
  if (!screen) return 1;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi >= 96 ? dpi / 96 : 1;
}

int32_t CeilDiv(int32_t v, int32_t d) { return v >= 0 ? (v + d - 1) / d : -((-v) / d); }

}  // namespace

void Win32ScaleChoose() {
  const char* fixed = std::getenv("SALVIND_SCALE");
  int32_t n = 0;
  if (fixed && fixed[0] >= '1' && fixed[0] <= '4' && fixed[1] == '\0') n = fixed[0] - '0';
  if (n == 0) n = FromDensity();
  g_scale = n < 1 ? 1 : (n > 4 ? 4 : n);
}

int32_t Win32Scale() { return g_scale; }

int32_t Win32ToLogical(int32_t device) {
  return device >= 0 ? device / g_scale : -CeilDiv(-device, g_scale);
}

RECT Win32DeviceRect(const RECT& r) {
  return RECT{Win32ToDevice(r.left), Win32ToDevice(r.top), Win32ToDevice(r.right), Win32ToDevice(r.bottom)};
}

RECT Win32LogicalRect(const RECT& r) {
  return RECT{Win32ToLogical(r.left), Win32ToLogical(r.top), CeilDiv(r.right, g_scale), CeilDiv(r.bottom, g_scale)};
}
