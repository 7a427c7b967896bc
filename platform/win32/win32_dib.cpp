#include "platform/win32/win32_dib.h"

BITMAPINFO Win32BufferInfo(int32_t width, int32_t height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

HBITMAP Win32BufferSection(int32_t width, int32_t height, uint32_t** pixels) {
  const BITMAPINFO info = Win32BufferInfo(width, height);
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section && !bits) {
    DeleteObject(section);
    section = nullptr;
  }
  *pixels = static_cast<uint32_t*>(bits);
  return section;
}
