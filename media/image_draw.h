#pragma once
// Drawing an image into the open drawing section of a window or off-screen
// surface, and finding whether a point falls on it.

#include <cstdint>

#include "core/rect.h"
#include "media/image.h"
#include "toolkit/draw.h"

// Draws the image's top-left corner, rect's size (at most the image's own
// size; no scaling), at rect's top-left corner of target, inside the open
// section (DrawBegin first; nothing is drawn without one). With a mask (the
// image's own, else sharedMask's when given) each target pixel is written
// once: the picture where the mask is opaque, unchanged elsewhere; mode is
// then not used. Without a mask the picture is combined by mode.
void ImageDraw(const Image* image, DrawTarget target, const Rect* rect, const Image* sharedMask,
               DrawMode mode);

// 1 when point, relative to the image's top-left corner, lies inside the
// image and on an opaque pixel of its mask (an image without a mask is
// opaque everywhere); else 0.
int16_t ImageHitTest(const Image* image, Point point);
