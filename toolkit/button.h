#pragma once
// Push buttons: the platform's native button inside a Window. A click, or
// ButtonPress, runs the click procedure; Tab, Enter and Escape typed on a
// button go to the window.

#include <cstdint>

#include "core/rect.h"
#include "core/types.h"
#include "platform/handles.h"

struct Button;
struct Window;

inline constexpr uint32_t kObjectKindButton = 4;

// Called when the button is clicked or pressed; the result is ignored.
using ButtonClickProc = uint16_t (*)(Button* button, UserData userData);

struct Button {
  uint32_t kind;              // kObjectKindButton
  ButtonClickProc clickProc;  // may be nullptr
  PlatformWindow handle;      // nullptr until ButtonInit succeeds
  UserData userData;          // passed to clickProc
  uint16_t controlId;         // taken from the window's counter
};

// A button with no platform control; nullptr when memory is exhausted.
Button* ButtonNew();
// Creates the control in window at rect (drawing-area coordinates) labelled
// title. 0, or 2001 when the platform refuses.
ErrorCode ButtonInit(Button* button, Window* window, const Rect* rect, const char* title,
                     uint16_t visible, uint16_t enabled, ButtonClickProc clickProc,
                     UserData userData);
// Destroys the control and frees the button; a window that had it as its
// default or cancel button forgets it. nullptr is ignored.
void ButtonDelete(Button* button);

// Sends the button's window the command a click sends: the click procedure
// runs at once, even when the button is hidden or disabled.
void ButtonPress(Button* button);

// Shows or hides the button; a hidden button is skipped by Tab.
void ButtonSetVisible(Button* button, uint16_t visible);
void ButtonSetEnabled(Button* button, uint16_t enabled);
// The platform's default-button look on or off (WindowSetDefaultButton uses it).
void ButtonSetDefaultLook(Button* button, uint16_t isDefault);
