#pragma once
// A private X server for one test: Xvfb on a display number it picks itself
// (others may run theirs at the same time), optionally with openbox, and an
// Xlib connection to look at it and drive it with XTEST input.

#include <QImage>
#include <QRect>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/display/child_process.h"

using XWindowId = unsigned long;

enum class WindowManager { kNone, kOpenbox };

// Sends a 32-bit client message of type about window, with data first and
// second, to the window manager (through the root window) or to the window
// itself; flushed.
void XSendClientMessage(struct _XDisplay* x, XWindowId window, const char* type, long first, long second,
                        bool toWindowManager);

class XServer {
 public:
  XServer() = default;
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  // Starts Xvfb (screen: width x height x depth) and the window manager,
  // waits for both (bounded); logs go to logDirectory. An empty result is
  // success, else what failed.
  std::string Start(WindowManager manager, const std::string& logDirectory,
                    const std::string& screen = "1024x768x24");
  // Sets the screen's resource database (RESOURCE_MANAGER on the root
  // window), as xrdb does: "Xft.dpi:\t192\n" tells programs its density.
  void SetResources(const std::string& text);
  // ":N", for DISPLAY.
  const std::string& display() const { return display_; }

  // A viewable window titled exactly title (WM_NAME or _NET_WM_NAME), 0 when
  // none appears within timeout.
  XWindowId WaitForWindow(const std::string& title, std::chrono::milliseconds timeout);
  // Every viewable window titled title, topmost first.
  std::vector<XWindowId> WindowsTitled(const std::string& title);
  bool HasWindow(const std::string& title);
  // True once no viewable window has the title, false after timeout.
  bool WaitUntilGone(const std::string& title, std::chrono::milliseconds timeout);
  // The window's drawing area on the screen.
  QRect Area(XWindowId window);
  // The window with everything the window manager put around it.
  QRect FramedArea(XWindowId window);
  // Index of the window's top-level ancestor in the root's stacking order
  // (bottom first); -1 when it is gone.
  int StackingIndex(XWindowId window);
  // The Motif hints the client published: {flags, functions, decorations},
  // empty without them.
  std::vector<long> MotifHints(XWindowId window);
  // Whether the client's size hints fix the size (minimum = maximum).
  bool SizeIsFixed(XWindowId window);
  // Actions the window manager allows (_NET_WM_ALLOWED_ACTIONS), atom names.
  std::vector<std::string> AllowedActions(XWindowId window);

  // The whole screen as the X server has it.
  QImage Screenshot();

  // Real input through XTEST: a click at screen coordinates (button 1 is
  // the left one, 2 the middle one, 3 the right one), a text in UTF-8, and
  // keys by their X names ("Return", "Tab", "Escape").
  void Click(int x, int y, unsigned button = 1);
  // Moves the pointer to screen coordinates, no button.
  void MovePointer(int x, int y);
  // Presses the left button at from, moves to to in steps and lets go there,
  // as a person drags a window by its title bar.
  void Drag(QPoint from, QPoint to);
  // A character without a key on the keyboard (the euro sign, Cyrillic or
  // CJK letters, as a keyboard of another language makes them) gets one of
  // the keycodes the keyboard leaves unused, as that keyboard would have.
  void Type(const std::string& text);
  void PressKey(const std::string& keyName);
  // The window that has the keyboard focus (the top-level client window, for
  // a Qt program); 0 when none.
  XWindowId FocusedWindow();
  // Asks the window manager to close the window, as its close button does.
  void RequestClose(XWindowId window);
  // What a window manager sends a window to close it, sent without one.
  void SendDeleteWindow(XWindowId window);

 private:
  void Stop();
  void KeyStroke(unsigned keysym);
  // The keycode that keysym now has, mapped onto a spare one when it had
  // none; 0 when the keyboard has no spare keycode left.
  unsigned char KeycodeFor(unsigned keysym);
  std::string WindowTitle(XWindowId window);
  void CollectWindows(XWindowId under, const std::string& title, std::vector<XWindowId>* found);

  ChildProcess xvfb_;
  ChildProcess manager_;
  std::string display_;
  struct _XDisplay* x_ = nullptr;
  // Keysyms put on spare keycodes; a keycode once given is never remapped,
  // so a client still reading an older keymap never sees a key change its
  // symbol under it.
  std::map<unsigned, unsigned char> spareKeys_;
};
