#pragma once
// Native controls: edit boxes and push buttons. A control is a child window
// of its parent (a PlatformWindow): it joins the parent's children in
// creation order, and PlatformWindowShow/Hide/IsShown/SetFocus/Focus/Destroy
// and PlatformWindowData/Parent work on it as on any child window.
// Characters typed into a control reach the key filter before the control;
// a button click arrives at the parent's input handler as
// kPlatformInputCommand. Texts are Latin-1 and end in a NUL: an edit box
// never takes a character outside Latin-1, typed (refused with a beep),
// pasted or dropped (the whole change refused with a beep).

#include <cstdint>

#include "platform/geometry.h"
#include "platform/handles.h"

// Edit control flags.
enum : uint32_t {
  kPlatformEditMultiLine = 1,  // several lines, wrapped at the width; else one line scrolling sideways
  kPlatformEditVScroll = 2,    // a vertical scroll bar (multi-line only)
  kPlatformEditBorder = 4,     // a thin frame around the box
  // Single-line only: the text changes by characters the key filter saw and
  // by the program alone. No context menu, paste or drop; a key that would
  // edit otherwise (Delete, cut, undo) is refused with a beep.
  kPlatformEditTypedOnly = 8,
};

// Notification codes of kPlatformInputCommand.
enum : uint32_t { kPlatformCommandClicked = 0 };

// Called for every character typed into a control (0-255; 9 Tab, 13 Enter,
// 27 Escape, 8 Backspace), before the control sees it, with kPlatformMod bits.
// Returns true to let the control handle the character, false to drop it.
// The control may be destroyed inside; the platform then drops the character.
using PlatformControlKeyFilter = bool (*)(PlatformWindow control, uint32_t character,
                                          uint32_t modifiers);
// Installs the one key filter of all controls; nullptr lets every character through.
void PlatformSetControlKeyFilter(PlatformControlKeyFilter filter);

// Asked before a control takes a key, a mouse button or a drop from the
// user; false drops it whole (the control's window is held back by a modal
// one). Asked before the key filter. nullptr lets everything through.
using PlatformControlInputGate = bool (*)(PlatformWindow control);
void PlatformSetControlInputGate(PlatformControlInputGate gate);

// Makes a shown edit control at rect (parent's drawing-area coordinates)
// holding text (nullptr: empty); id is the control identifier, data comes
// back by PlatformWindowData. nullptr when the platform refuses.
PlatformWindow PlatformEditCreate(PlatformWindow parent, const PlatformRect& rect, uint32_t flags,
                                  const char* text, uint16_t id, uintptr_t data);
// Makes a push button at rect with title, shown and enabled as asked; never
// the platform's automatic default button. nullptr when the platform refuses.
PlatformWindow PlatformButtonCreate(PlatformWindow parent, const PlatformRect& rect,
                                    const char* title, bool visible, bool enabled, uint16_t id,
                                    uintptr_t data);

// Multi-line texts come and go with CR LF line ends, and every position and
// length counts a line end as two characters, as in the text.
void PlatformEditSetText(PlatformWindow edit, const char* text);
// The number of characters of the text, without the NUL.
int32_t PlatformEditTextLength(PlatformWindow edit);
// Copies at most capacity - 1 characters and a NUL into buffer; returns the
// number of characters copied.
int32_t PlatformEditGetText(PlatformWindow edit, char* buffer, int32_t capacity);
// The selection as start <= end; both the caret position when nothing is selected.
void PlatformEditGetSelection(PlatformWindow edit, int32_t* start, int32_t* end);
// Selects start..end, each clamped to the text; the caret goes to end.
void PlatformEditSetSelection(PlatformWindow edit, int32_t start, int32_t end);
// Replaces the selection (nothing selected: inserts at the caret) by text
// and leaves the caret after it; the control keeps no undo step for it.
void PlatformEditReplaceSelection(PlatformWindow edit, const char* text);
// A read-only box refuses typing but still shows a caret and a selection.
void PlatformEditSetReadOnly(PlatformWindow edit, bool readOnly);

// The font of an edit control's or a button's text; nullptr: the platform's
// default. The caller keeps the font alive while the control uses it.
void PlatformControlSetFont(PlatformWindow control, PlatformFont font);

void PlatformButtonSetTitle(PlatformWindow button, const char* title);
// A disabled button takes no clicks and looks greyed.
void PlatformButtonSetEnabled(PlatformWindow button, bool enabled);
// The default button's look (a heavier frame); nothing else changes.
void PlatformButtonSetDefaultLook(PlatformWindow button, bool isDefault);
