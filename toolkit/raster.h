#pragma once
// Filling and block copies over pixel buffers: the pixel work of drawing
// sections, image drawing and animations. Every operation is clipped to its
// clip rectangle and to the buffers it touches; no coordinate, however
// negative, huge or inverted, makes it read or write outside them. Empty or
// inverted rectangles draw nothing.

#include <cstdint>

#include "core/rect.h"
#include "toolkit/pixels.h"

// The six block-copy modes, numbered as the drawing code passes them. S is
// the source pixel, D the destination pixel. Copy moves S unchanged; the
// others work on the 24 colour bits and leave the top byte 0.
enum DrawMode : int16_t {
  kDrawModeCopy = 0,                 // S
  kDrawModeOr = 1,                   // S | D
  kDrawModeExclusiveOr = 2,          // S ^ D
  kDrawModeInvertedCopy = 3,         // ~S
  kDrawModeInvertedSourceOr = 4,     // ~S | D
  kDrawModeInvertedExclusiveOr = 5,  // ~(S ^ D)
};

// Sets every pixel of rect that lies inside clip and dst to colour.
void RasterFill(PixelBuffer* dst, const Rect& rect, const Rect& clip, Pixel colour);

// Transfers srcRect of src onto dstRect of dst, stretched or shrunk to the
// size of dstRect by nearest neighbour (destination pixel i of a side takes
// source pixel floor(i * sourceSize / destinationSize)), combined with the
// destination by mode. Writes only destination pixels inside clip and dst
// whose source pixel lies inside src. An unknown mode draws nothing. src may
// be the same buffer as dst.
void RasterCopy(PixelBuffer* dst, const Rect& dstRect, const Rect& clip,
                const PixelBuffer& src, const Rect& srcRect, DrawMode mode);

// As RasterCopy in copy mode, through a mask: each destination pixel is
// written once, with its source pixel where the mask is opaque and left as it
// was elsewhere. The mask pixel of source pixel (x, y) is
// (maskLeft + x - srcRect.left, maskTop + y - srcRect.top); outside the mask
// counts as transparent.
void RasterCopyMasked(PixelBuffer* dst, const Rect& dstRect, const Rect& clip,
                      const PixelBuffer& src, const Rect& srcRect,
                      const BitMask& mask, int32_t maskLeft, int32_t maskTop);
