#include "tests/display/x_desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <thread>

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kPoll = std::chrono::milliseconds(20);
}  // namespace

XDesktop::~XDesktop() {
  if (!x_) return;
  if (window_) XDestroyWindow(x_, window_);
  XCloseDisplay(x_);
}

bool XDesktop::Open(const std::string& display) {
  if (x_) return true;
  x_ = XOpenDisplay(display.c_str());
  if (!x_) return false;
  window_ = XCreateSimpleWindow(x_, DefaultRootWindow(x_), 0, 0, 1, 1, 0, 0, 0);
  XSync(x_, False);
  return window_ != 0;
}

void XDesktop::Chord(const std::vector<std::string>& keys) {
  std::vector<KeyCode> codes;
  for (const std::string& name : keys) {
    const KeySym symbol = XStringToKeysym(name.c_str());
    const KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(x_, symbol);
    if (code) codes.push_back(code);
  }
  for (const KeyCode code : codes) XTestFakeKeyEvent(x_, code, True, CurrentTime);
  for (auto it = codes.rbegin(); it != codes.rend(); ++it) XTestFakeKeyEvent(x_, *it, False, CurrentTime);
  XSync(x_, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

void XDesktop::Activate(XWindowId window) {
  // 2: from a pager or a person's tool, always honoured.
  XSendClientMessage(x_, window, "_NET_ACTIVE_WINDOW", 2, CurrentTime, true);
}

void XDesktop::ClearClipboard() {
  XSetSelectionOwner(x_, XInternAtom(x_, "CLIPBOARD", False), window_, CurrentTime);
  XSync(x_, False);
}

std::string XDesktop::ClipboardText(std::chrono::milliseconds timeout) {
  const Atom clipboard = XInternAtom(x_, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(x_, "UTF8_STRING", False);
  const Atom property = XInternAtom(x_, "SALVIND_TEST_CLIPBOARD", False);
  const auto end = Clock::now() + timeout;
  // Whoever copies takes the selection from us; until then there is nothing.
  while (XGetSelectionOwner(x_, clipboard) == window_ || XGetSelectionOwner(x_, clipboard) == None) {
    if (Clock::now() >= end) return {};
    std::this_thread::sleep_for(kPoll);
  }
  XConvertSelection(x_, clipboard, utf8, property, window_, CurrentTime);
  XFlush(x_);
  while (Clock::now() < end) {
    while (XPending(x_)) {
      XEvent event;
      XNextEvent(x_, &event);
      if (event.type != SelectionNotify || event.xselection.requestor != window_) continue;
      if (event.xselection.property == None) return {};
      Atom type = 0;
      int format = 0;
      unsigned long items = 0, after = 0;
      unsigned char* data = nullptr;
      std::string text;
      if (XGetWindowProperty(x_, window_, property, 0, 1 << 16, True, AnyPropertyType, &type, &format, &items,
                             &after, &data) == Success &&
          data && format == 8) {
        text.assign(reinterpret_cast<const char*>(data), items);
      }
      if (data) XFree(data);
      return text;
    }
    std::this_thread::sleep_for(kPoll);
  }
  return {};
}
