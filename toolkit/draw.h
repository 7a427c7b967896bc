#pragma once
// Drawing sections on windows and off-screen surfaces. DrawBegin opens a
// section on a target and DrawEnd closes it; sections nest, and only the
// outermost one sets the context up (unclipped, black, the default font).
// Every other operation except DrawTextWidth, DrawTextHeight and DrawCopy
// (which open sections of their own) needs an open section and does nothing
// without one.
//
// A window's sections draw into its pixel buffer. Outside a paint event what
// was drawn shows when the outermost section ends, and a DrawCopy onto a
// window shows at once, so a sequence of copies inside one long section
// (a zoom with pauses) shows every step. During a paint event the sections
// start clipped to the area being painted and share their clip and text
// colour until the paint is over; the paint itself shows the result.

#include <cstdint>

#include "core/rect.h"
#include "core/types.h"
#include "toolkit/draw_state.h"
#include "toolkit/font.h"
#include "toolkit/pixels.h"
#include "toolkit/raster.h"

struct Window;
struct Offscreen;

// A window or an off-screen surface; either converts to it.
struct DrawTarget {
  DrawTarget(Window* w) : window(w) {}      // NOLINT: converting on purpose
  DrawTarget(Offscreen* s) : surface(s) {}  // NOLINT: converting on purpose
  Window* window = nullptr;
  Offscreen* surface = nullptr;
};

// A colour table entry; the index is not used.
struct ColorEntry {
  uint8_t index;
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};

// Opens a section; only the outermost one sets up the context.
void DrawBegin(DrawTarget target);
// Closes a section; the outermost one on a window outside a paint shows
// what was drawn.
void DrawEnd(DrawTarget target);
// The context of the open section, nullptr when none is open.
DrawContext* DrawGetContext(DrawTarget target);

// The clip in drawing coordinates ({0, 0, 0, 0} when nothing can be drawn).
void DrawGetClipRect(DrawTarget target, Rect* rect);
// Clips to rect alone (within the target, and within the paint's area during
// a paint); lasts until the outermost section ends, or the paint does.
void DrawSetClipRect(DrawTarget target, const Rect* rect);

// Fills rect (left..right-1, top..bottom-1) white.
void DrawEraseRect(DrawTarget target, const Rect* rect);
// Fills rect in the current colour.
void DrawFillRect(DrawTarget target, const Rect* rect);
// The current colour for fills and text becomes the entry's. Returns 0.
ErrorCode DrawSetColor(DrawTarget target, const ColorEntry* colour);
// Text is drawn and measured in font until the outermost section ends
// (nullptr: the platform's default font).
void DrawSetFont(DrawTarget target, const Font* font);

// Draws text on one line, centred vertically in rect and placed by
// alignment (0 left, 1 right, 2 centred; anything else left), clipped to rect,
// background left as it was. Returns the distance from rect's top to the
// bottom of the line.
int16_t DrawTextInRect(DrawTarget target, const Rect* rect, int16_t alignment, const char* text);
// The width and line height of text in the section's font (0 width for an
// empty or missing text).
int16_t DrawTextWidth(DrawTarget target, const char* text);
int16_t DrawTextHeight(DrawTarget target, const char* text);

// Transfers sourceRect of source onto destinationRect of destination,
// stretched by nearest neighbour, combined by mode. With a mask, the source
// is taken at sourceRect's top-left at destinationRect's size (no stretch)
// and the destination is written once: source where the mask's top-left
// pixels are opaque, unchanged elsewhere; mode is not used.
void DrawCopy(DrawTarget source, DrawTarget destination, const Rect* sourceRect,
              const Rect* destinationRect, const BitMask* mask, DrawMode mode);

// The pixel transfer behind DrawCopy and image drawing: sourceRect of a
// buffer (in the buffer's own coordinates) onto destinationRect of the
// context, clipped, and counted as drawn. mask as in DrawCopy.
void DrawContextCopy(DrawContext* context, const PixelBuffer& source, const Rect& sourceRect,
                     const Rect& destinationRect, const BitMask* mask, DrawMode mode);
