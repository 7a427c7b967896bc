#pragma once
// The information box: a small always-on-top window without controls that
// tells the user what the program is waiting for ("Connecting to the Orva
// server ..."). It is a platform window of its own, not a toolkit Window: it
// takes no events and keeps its picture up to date itself.

#include <cstdint>

#include "core/types.h"
#include "platform/handles.h"
#include "toolkit/pixels.h"

struct Window;

inline constexpr uint32_t kObjectKindInfoBox = 15;

struct InfoBox {
  uint32_t kind;  // kObjectKindInfoBox
  uint16_t width;  // outer width of the window
  // An indicator inside the option area, never switched on by the program
  // and never drawn; kept so that callers pass what they always passed.
  uint16_t optionFlag;
  uint16_t optionMaximum;
  uint16_t optionValue;
  PlatformWindow window;  // nullptr until InfoBoxInit succeeds
  char* text;             // owned copy; nullptr before InfoBoxInit
  int32_t textX;          // 16
  int32_t optionTop;      // 28
  int32_t optionRight;    // width - 16
  int32_t optionBottom;   // 40
  // What the window shows below its caption, redrawn whenever the text changes.
  PixelBuffer picture;
};

// An empty box, or nullptr when memory is exhausted.
InfoBox* InfoBoxNew();
// Makes the hidden window: titled "Salvind", width wide and 52 pixels high
// below its caption, centred on the screen, above every other window, owned by
// parent's window when parent is given. text (nullptr: empty) is copied.
// 0; 2001 when the platform refuses the window, 2 without memory (no window).
ErrorCode InfoBoxInit(InfoBox* box, Window* parent, const char* text, uint16_t width,
                      uint16_t optionFlag, uint16_t optionMaximum);
// Shows the window with its text at once.
void InfoBoxShow(InfoBox* box);
// Replaces the text (nullptr: empty) and shows it at once, so that it is on
// screen before the caller goes on with blocking work. A text that cannot be
// copied leaves the old one.
void InfoBoxSetText(InfoBox* box, const char* text);
// Destroys the window, frees the text and the box; nullptr is ignored.
void InfoBoxDelete(InfoBox* box);
