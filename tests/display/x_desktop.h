#pragma once
// What the end-to-end scenarios ask of a running X server beyond looking and
// clicking: key chords, activating a window through the window manager, and
// the clipboard, through which a window's text is read the way a person
// copies it (Ctrl+C). A connection of its own, so it stays out of the
// fixture's way.

#include <chrono>
#include <string>
#include <vector>

#include "tests/display/x_server.h"

class XDesktop {
 public:
  XDesktop() = default;
  ~XDesktop();
  XDesktop(const XDesktop&) = delete;
  XDesktop& operator=(const XDesktop&) = delete;

  // Connects to display (":N") once; false when it cannot.
  bool Open(const std::string& display);

  // Presses the keys (X names, "Control_L", "a") in order, then lets them go
  // in reverse order.
  void Chord(const std::vector<std::string>& keys);
  // Asks the window manager to make the window the active one, raised and
  // focused, as a click on a task bar does.
  void Activate(XWindowId window);

  // Takes the clipboard away from whoever has it, so that a later
  // ClipboardText reads only what was copied after this.
  void ClearClipboard();
  // The clipboard's text once another client owns it; empty when nobody
  // took it within timeout or its owner did not answer.
  std::string ClipboardText(std::chrono::milliseconds timeout);

 private:
  struct _XDisplay* x_ = nullptr;
  unsigned long window_ = 0;  // ours: owns the emptied clipboard, receives conversions
};
