#include "toolkit/offscreen.h"

#include "core/error_codes.h"
#include "core/memory.h"

Offscreen* OffscreenNew() {
  auto* surface = static_cast<Offscreen*>(MemAllocZero(1, sizeof(Offscreen)));
  if (surface) surface->kind = kObjectKindOffscreen;
  return surface;
}

ErrorCode OffscreenInit(Offscreen* surface, const Rect* bounds) {
  if (!surface || !bounds) return kErrorOutOfMemory;
  PixelBufferFree(&surface->bitmap);
  surface->bounds = *bounds;
  surface->width = RectWidth(*bounds);
  surface->height = RectHeight(*bounds);
  if (surface->width <= 0 || surface->height <= 0) return 0;
  if (!PixelBufferInit(&surface->bitmap, surface->width, surface->height, PixelFromRgb(255, 255, 255))) {
    return kErrorOutOfMemory;
  }
  return 0;
}

void OffscreenDelete(Offscreen* surface) {
  if (!surface) return;
  PixelBufferFree(&surface->bitmap);
  MemFree(surface);
}
