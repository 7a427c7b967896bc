#include "lobby/disclaimer_window.h"

#include "core/memory.h"
#include "core/text.h"
#include "lobby/disclaimer_document.h"
#include "lobby/gate.h"
#include "lobby/login_window.h"
#include "media/resource_file.h"
#include "shell/data_path.h"
#include "toolkit/alert.h"
#include "toolkit/button.h"
#include "toolkit/draw.h"
#include "toolkit/edit_box.h"
#include "toolkit/font.h"
#include "toolkit/window.h"

DisclaimerWindowScreen g_disclaimerWindow = {};

namespace {

void PostQuit() { EventPost(nullptr, nullptr, EventQuit, nullptr, nullptr, 0, 0, 0, 0); }

void LoadLayout() {
  ResourceFile* resources = ResourceFileNew();
  if (!resources) return;
  if (ResourceFileOpen(resources, ProgramDataPath(kLoginResourceFileName)) == 0) {
    ResourceFileGetRects(resources, kDisclaimerLayoutItem, kDisclaimerLayoutCount, g_disclaimerWindow.layout);
  }
  ResourceFileDelete(resources);
}

// Makes the button; false (after its alert, when memory was short) when it
// could not be made.
bool MakeButton(Button** button, int rectIndex, const char* title) {
  *button = ButtonNew();
  if (!*button) {
    Alert("Out of memory.", nullptr);
    return false;
  }
  return ButtonInit(*button, g_disclaimerWindow.window, &g_disclaimerWindow.layout[rectIndex], title, 1, 1,
                    &DisclaimerButtonClick, 0) == 0;
}

void HideAndClose() {
  g_disclaimerWindow.answered = 1;
  WindowEndModal();
  WindowHide(g_disclaimerWindow.window);
  EventPost(g_disclaimerWindow.window, &DisclaimerEventProc, EventClose, nullptr, nullptr, 0, 0, 0, 0);
}

}  // namespace

void DisclaimerShow() {
  char* text = DisclaimerReadText();
  if (!text) {
    Alert("Disclaimer document not found. Exiting.", nullptr);
    PostQuit();
    return;
  }
  char* display = TextToCrLf(text);
  MemFree(text);
  if (!display) {
    Alert("Out of memory.", nullptr);
    return;
  }
  // A newer document can arrive while the window still shows the old one.
  DisclaimerClose();
  LoadLayout();

  DisclaimerWindowScreen& d = g_disclaimerWindow;
  d.answered = 0;
  d.window = WindowNew();
  if (!d.window) {
    MemFree(display);
    Alert("Failed to create the disclaimer window. Out of memory.", nullptr);
    return;
  }
  if (WindowInit(d.window, &d.layout[kDisclaimerRectWindow], kWindowKindDialog, g_gate.window,
                 "Disclaimer Agreement", 1, 1, &DisclaimerEventProc, 0) != 0) {
    MemFree(display);
    return;
  }
  d.text = EditBoxNew();
  if (!d.text) {
    MemFree(display);
    Alert("Out of memory.", nullptr);
    return;
  }
  const ErrorCode result =
      EditBoxInit(d.text, d.window, &d.layout[kDisclaimerRectText], display, FontStandard(FontSans9), 1, 1, 1, 1,
                  nullptr, 0);
  MemFree(display);
  if (result != 0) return;
  // From its beginning, whatever the box did with the caret.
  EditBoxSetSelection(d.text, 0, 0);

  if (!MakeButton(&d.accept, kDisclaimerRectAccept, "Accept")) return;
  WindowSetDefaultButton(d.window, d.accept);
  if (!MakeButton(&d.decline, kDisclaimerRectDecline, "Decline")) return;
  WindowSetCancelButton(d.window, d.decline);
  WindowSetModal(d.window);
  // The text is what the window is for: the keys scroll it from the start.
  EditBoxSetFocus(d.text);
}

void DisclaimerClose() {
  DisclaimerWindowScreen& d = g_disclaimerWindow;
  if (!d.window) return;
  ButtonDelete(d.accept);
  ButtonDelete(d.decline);
  EditBoxDelete(d.text);
  Window* window = d.window;
  d.window = nullptr;
  d.accept = d.decline = nullptr;
  d.text = nullptr;
  WindowDelete(window);
}

uint16_t DisclaimerEventProc(void* source, Event* event) {
  switch (event->type) {
    case EventClose:
      // A close posted by an earlier window that was replaced meanwhile
      // leaves the new one alone.
      if (source != g_disclaimerWindow.window) return 1;
      // The close box is no way around the agreement: it declines.
      if (!g_disclaimerWindow.answered) PostQuit();
      DisclaimerClose();
      return 1;
    case EventPaint:
      if (g_disclaimerWindow.window) {
        DrawBegin(g_disclaimerWindow.window);
        DrawEraseRect(g_disclaimerWindow.window, &event->rect);
        DrawEnd(g_disclaimerWindow.window);
      }
      return 1;
    default:
      return 0;
  }
}

uint16_t DisclaimerButtonClick(Button* button, UserData) {
  if (!g_disclaimerWindow.window) return 0;
  if (button == g_disclaimerWindow.accept) {
    HideAndClose();
    DisclaimerMarkAccepted();
    // Hiding hands the keyboard to the gate, the window's owner; the login
    // window it interrupted takes it back, modal as it was.
    if (g_login.window) {
      WindowBringToTop(g_login.window);
      WindowSetModal(g_login.window);
    }
  } else if (button == g_disclaimerWindow.decline) {
    HideAndClose();
    PostQuit();
  }
  return 1;
}
