#pragma once
// The state every drawing target (a Window, an Offscreen surface) carries
// right after its object kind: how many drawing sections are open on it and
// the drawing context they share.

#include <cstdint>

#include "core/rect.h"
#include "toolkit/font.h"
#include "toolkit/pixels.h"

// What the drawing operations of an open section draw with. Rectangles are
// in the target's drawing coordinates; the buffer's first pixel stands at
// (originX, originY).
struct DrawContext {
  PixelBuffer* buffer;  // the target's pixels
  int16_t originX;
  int16_t originY;
  Rect area;          // the whole target
  Rect clip;          // always inside area (and the paint's area during a paint)
  Pixel colour;       // fills; black at the start of every outermost section
  Pixel textColour;   // black until DrawSetColor; a paint's sections share it
  const Font* font;   // nullptr: the platform's default font
  Rect touched;       // bounds of what was drawn and not yet presented
};

struct DrawState {
  uint16_t depth;         // open sections; 0 when idle
  uint16_t paintContext;  // 1 while the context's clip and text colour belong to the paint in progress
  DrawContext context;    // valid while depth > 0
};

struct Window;
// Called when a paint event of window is over: its next section starts
// from a fresh context.
void DrawPaintOver(Window* window);
