#pragma once
// Shared between the files of the window implementation.

#include "platform/window.h"
#include "toolkit/window.h"

// The platform window at the top of the modal window's parent and owner
// chain; nullptr when no window is modal.
PlatformWindow WindowModalRoot();
// True while a modal window holds back the input of handle's window (and
// of its controls): handle lies in the modal window's tree, outside the
// modal window itself.
bool WindowInputHeldBack(PlatformWindow handle);
// Raises the modal window: the user pressed or typed at a window it holds
// back, which the desktop may have brought in front of it.
void WindowBringModalForward();
// The toolkit's window procedure for raw platform input.
bool WindowHandleInput(PlatformWindow handle, const PlatformInput& input);
// Applies a move report to the stored outer rectangle.
void WindowTakeMove(Window* window, int32_t x, int32_t y);
// Toolkit modifier bits from platform ones.
uint32_t WindowModifierBits(uint32_t platformModifiers);
// True while window is in the list of windows (not deleted).
bool WindowIsListed(const Window* window);
