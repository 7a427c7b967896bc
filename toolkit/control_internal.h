#pragma once
// Shared between the controls and the window procedure.

#include <cstdint>

#include "platform/handles.h"

// The key filter of every control: Tab, Enter and Escape go to the control's
// window; other characters are offered to an edit box's character procedure.
// True lets the control handle the character.
bool ControlFilterKey(PlatformWindow control, uint32_t character, uint32_t modifiers);
// The input gate of every control: false while the control's window is held
// back by a modal window, so no key, press or drop reaches it.
bool ControlTakesInput(PlatformWindow control);
// A command from a control of a window: a button's click runs its click
// procedure, an edit box's commands are ignored, anything else is an error box.
void ControlRouteCommand(PlatformWindow control, uint32_t code);
// The toolkit object attached to a control (its kind first), or nullptr.
uint32_t* ControlObject(PlatformWindow control);
