#pragma once
// Off-screen surfaces: a pixel buffer drawn with the same coordinates as the
// window area it stands for, composed out of sight and then copied to a
// window with DrawCopy.

#include <cstdint>

#include "core/rect.h"
#include "core/types.h"
#include "toolkit/draw_state.h"
#include "toolkit/pixels.h"

inline constexpr uint32_t kObjectKindOffscreen = 12;

struct Offscreen {
  uint32_t kind;     // always kObjectKindOffscreen
  DrawState draw;    // drawing sections
  Rect bounds;       // drawing at (bounds.left, bounds.top) lands on the first pixel
  int32_t width;     // bounds' width and height
  int32_t height;
  PixelBuffer bitmap;  // width x height, white when made; pixels nullptr before OffscreenInit
};

// A surface without pixels; nullptr when memory is exhausted.
Offscreen* OffscreenNew();
// Makes width x height white pixels for bounds (replacing earlier ones).
// 0; kErrorOutOfMemory when the pixels cannot be had. An empty rectangle
// gives a surface on which nothing is drawn.
ErrorCode OffscreenInit(Offscreen* surface, const Rect* bounds);
// Frees the pixels and the surface, even inside a drawing section (the
// section is dropped); nullptr is ignored.
void OffscreenDelete(Offscreen* surface);
