#pragma once
// The welcome window: a top-level window titled "Welcome" holding the text
// the server sends after the log-in. Closing it only hides it; the welcome
// icon on the map shows it again.

#include "core/rect.h"
#include "core/types.h"
#include "toolkit/event.h"

struct EditBox;
struct Window;

// On the screen at (4, 4), drawing area 300 x 400.
inline constexpr Rect kWelcomeWindowRect = {4, 4, 304, 404};
inline constexpr int16_t kWelcomeTextInset = 8;

struct WelcomeWindowScreen {
  Window* window;  // nullptr until WelcomeWindowCreate
  EditBox* text;   // read-only, multi-line, scrolled vertically
};
extern WelcomeWindowScreen g_welcome;

// Makes the window, hidden, once. Always 0; without memory for the window it
// says so and there is none.
ErrorCode WelcomeWindowCreate();
// Shows the window and raises it.
void WelcomeWindowShow();
// Puts text (line ends as the server sent them) into the window with the
// caret at the start. Nothing without the window.
void WelcomeWindowSetText(const char* text);
// Deletes the text box and the window, if there.
void WelcomeWindowDelete();
// The welcome window's event procedure.
uint16_t WelcomeEventProc(void* source, Event* event);
