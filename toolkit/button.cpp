#include "toolkit/button.h"

#include "core/error_codes.h"
#include "core/memory.h"
#include "platform/control.h"
#include "platform/window.h"
#include "toolkit/window.h"
#include "toolkit/window_internal.h"

Button* ButtonNew() {
  auto* button = static_cast<Button*>(MemAllocZero(1, sizeof(Button)));
  if (button) button->kind = kObjectKindButton;
  return button;
}

ErrorCode ButtonInit(Button* button, Window* window, const Rect* rect, const char* title,
                     uint16_t visible, uint16_t enabled, ButtonClickProc clickProc,
                     UserData userData) {
  button->clickProc = clickProc;
  button->userData = userData;
  button->controlId = window->nextControlId++;
  const PlatformRect r{rect->left, rect->top, rect->right, rect->bottom};
  button->handle = PlatformButtonCreate(window->handle, r, title, visible != 0, enabled != 0,
                                        button->controlId, reinterpret_cast<uintptr_t>(button));
  return button->handle ? 0 : kErrorSystem;
}

void ButtonDelete(Button* button) {
  if (!button) return;
  if (button->handle) {
    // Enter or Escape must not press a button that is gone.
    if (Window* window = WindowFromHandle(PlatformWindowParent(button->handle))) {
      if (window->defaultButton == button) window->defaultButton = nullptr;
      if (window->cancelButton == button) window->cancelButton = nullptr;
    }
    PlatformWindowDestroy(button->handle);
  }
  MemFree(button);
}

void ButtonPress(Button* button) {
  if (!button || !button->handle) return;
  const PlatformWindow parent = PlatformWindowParent(button->handle);
  if (!parent) return;
  // The same command a click sends, through the window procedure.
  PlatformInput input{};
  input.type = kPlatformInputCommand;
  input.control = button->handle;
  input.code = kPlatformCommandClicked;
  WindowHandleInput(parent, input);
}

void ButtonSetVisible(Button* button, uint16_t visible) {
  if (visible) {
    PlatformWindowShow(button->handle);
  } else {
    PlatformWindowHide(button->handle);
  }
}

void ButtonSetEnabled(Button* button, uint16_t enabled) {
  PlatformButtonSetEnabled(button->handle, enabled != 0);
}

void ButtonSetDefaultLook(Button* button, uint16_t isDefault) {
  PlatformButtonSetDefaultLook(button->handle, isDefault != 0);
}
