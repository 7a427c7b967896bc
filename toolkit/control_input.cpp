// Input of the controls: the key pre-filter in front of every control and
// the command routing of the window procedure.

#include "platform/control.h"
#include "platform/dialog.h"
#include "platform/window.h"
#include "toolkit/button.h"
#include "toolkit/control_internal.h"
#include "toolkit/edit_box.h"
#include "toolkit/window_internal.h"

uint32_t* ControlObject(PlatformWindow control) {
  return reinterpret_cast<uint32_t*>(PlatformWindowData(control));
}

bool ControlTakesInput(PlatformWindow control) {
  if (!WindowInputHeldBack(control)) return true;
  WindowBringModalForward();
  return false;
}

bool ControlFilterKey(PlatformWindow control, uint32_t character, uint32_t modifiers) {
  // A control of a window held back by a modal one types nothing, as its
  // window takes no clicks or keys.
  if (WindowInputHeldBack(control)) return false;
  uint32_t* object = ControlObject(control);
  const uint32_t ch = character & 0xFF;
  if (ch == 9 || ch == 13 || ch == 27) {
    // The window moves the focus or presses its buttons; the control never
    // sees these, not even a multi-line box.
    if (const PlatformWindow parent = PlatformWindowParent(control)) {
      PlatformInput input{};
      input.type = kPlatformInputCharacter;
      input.character = ch;
      input.modifiers = modifiers;
      WindowHandleInput(parent, input);
    }
    return false;
  }
  if (!object || *object != kObjectKindEditBox) return true;
  auto* box = reinterpret_cast<EditBox*>(object);
  if (box->readOnly || !box->charProc) return true;
  return (box->charProc(box, ch, box->userData) & 0xFFFFu) == 0;
}

void ControlRouteCommand(PlatformWindow control, uint32_t code) {
  uint32_t* object = ControlObject(control);
  if (!object) return;
  switch (*object) {
    case kObjectKindButton: {
      auto* button = reinterpret_cast<Button*>(object);
      if (code == kPlatformCommandClicked && button->clickProc) {
        button->clickProc(button, button->userData);
      }
      return;
    }
    case kObjectKindEditBox:
      // Text changes are not reported; screens read the text when they need it.
      return;
    default:
      PlatformMessageBox(nullptr, "ERROR 2", "ERRROR");
      return;
  }
}
