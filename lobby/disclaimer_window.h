#pragma once
// The window "Disclaimer Agreement": the disclaimer document's text with
// "Accept" and "Decline", modal over the gate. Accepting marks the document;
// declining, or having no document at all, ends the program.

#include <cstdint>

#include "core/rect.h"
#include "core/types.h"
#include "toolkit/event.h"

struct Button;
struct EditBox;
struct Window;

inline constexpr uint32_t kDisclaimerLayoutItem = 4;
inline constexpr int kDisclaimerLayoutCount = 4;

enum : int {
  kDisclaimerRectWindow = 0,
  kDisclaimerRectAccept = 1,
  kDisclaimerRectDecline = 2,
  kDisclaimerRectText = 3,
};

struct DisclaimerWindowScreen {
  Window* window;  // nullptr when absent
  EditBox* text;   // read-only, multi-line
  Button* accept;
  Button* decline;
  Rect layout[kDisclaimerLayoutCount];
  uint16_t answered;  // 1 once "Accept" or "Decline" was pressed
};
extern DisclaimerWindowScreen g_disclaimerWindow;

// Shows the document's text in the modal window. Without a readable
// document it says "Disclaimer document not found. Exiting." and posts the
// quit. A window still open from an earlier call is replaced.
void DisclaimerShow();
// Deletes the buttons, the text field and the window, if there is one.
// Closing the window by its close box, without an answer, declines.
void DisclaimerClose();

uint16_t DisclaimerEventProc(void* source, Event* event);
uint16_t DisclaimerButtonClick(Button* button, UserData userData);
