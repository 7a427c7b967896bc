#include "tests/display/x_server.h"

#include <X11/Xlib.h>
// After Xlib.h, which it needs.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPoll = std::chrono::milliseconds(25);

// The number Xvfb writes to -displayfd once it accepts connections.
std::string ReadDisplayNumber(int fd, std::chrono::milliseconds timeout) {
  std::string text;
  const auto end = Clock::now() + timeout;
  while (Clock::now() < end) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    char buffer[32];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
    if (text.find('\n') != std::string::npos) return text.substr(0, text.find('\n'));
  }
  return {};
}

// Windows come and go while a test walks the tree: a request about one that
// just went is no failure of the test.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

}  // namespace

XServer::~XServer() { Stop(); }

void XServer::Stop() {
  if (x_) XCloseDisplay(x_);
  x_ = nullptr;
  manager_.Stop();
  xvfb_.Stop();
}

std::string XServer::Start(WindowManager manager, const std::string& logDirectory, const std::string& screen) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return "no pipe";
  fcntl(pipeFds[0], F_SETFD, FD_CLOEXEC);
  const bool started =
      xvfb_.Start({"/usr/bin/Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", screen,
                   "-nolisten", "tcp", "-noreset"},
                  EnvironmentWith({}), {}, logDirectory + "/xvfb.log");
  close(pipeFds[1]);
  const std::string number = started ? ReadDisplayNumber(pipeFds[0], std::chrono::seconds(10)) : "";
  close(pipeFds[0]);
  if (number.empty()) return "Xvfb did not start (log: " + logDirectory + "/xvfb.log)";
  display_ = ":" + number;
  XSetErrorHandler(&IgnoreXError);
  x_ = XOpenDisplay(display_.c_str());
  if (!x_) return "cannot open display " + display_;
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(x_, &event, &error, &major, &minor)) return "no XTEST on " + display_;

  if (manager == WindowManager::kOpenbox) {
    if (!manager_.Start({"/usr/bin/openbox", "--sm-disable"}, EnvironmentWith({{"DISPLAY", display_}}), {},
                        logDirectory + "/openbox.log")) {
      return "openbox did not start";
    }
    // The window manager announces itself on the root window.
    const Atom check = XInternAtom(x_, "_NET_SUPPORTING_WM_CHECK", False);
    const auto end = Clock::now() + std::chrono::seconds(10);
    for (;;) {
      Atom type = 0;
      int format = 0;
      unsigned long items = 0, after = 0;
      unsigned char* data = nullptr;
      const bool found = XGetWindowProperty(x_, DefaultRootWindow(x_), check, 0, 1, False, XA_WINDOW, &type,
                                            &format, &items, &after, &data) == Success &&
                         items == 1;
      if (data) XFree(data);
      if (found) break;
      if (Clock::now() >= end) return "openbox did not take the screen (log: " + logDirectory + "/openbox.log)";
      std::this_thread::sleep_for(kPoll);
    }
  }
  return {};
}

std::string XServer::WindowTitle(XWindowId window) {
  const Atom netName = XInternAtom(x_, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(x_, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(x_, window, netName, 0, 256, False, utf8, &type, &format, &items, &after, &data) ==
          Success &&
      data && format == 8) {
    title.assign(reinterpret_cast<const char*>(data), items);
  }
  if (data) XFree(data);
  if (!title.empty()) return title;
  char* name = nullptr;
  if (XFetchName(x_, window, &name) && name) {
    title = name;
    XFree(name);
  }
  return title;
}

void XServer::CollectWindows(XWindowId under, const std::string& title, std::vector<XWindowId>* found) {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(x_, under, &root, &parent, &children, &count)) return;
  // Topmost first, as a person sees them.
  for (unsigned i = count; i-- > 0;) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(x_, children[i], &attributes) || attributes.map_state != IsViewable) continue;
    if (WindowTitle(children[i]) == title) {
      found->push_back(children[i]);
    } else {
      CollectWindows(children[i], title, found);
    }
  }
  if (children) XFree(children);
}

std::vector<XWindowId> XServer::WindowsTitled(const std::string& title) {
  XSync(x_, False);
  std::vector<XWindowId> found;
  CollectWindows(DefaultRootWindow(x_), title, &found);
  return found;
}

bool XServer::HasWindow(const std::string& title) { return !WindowsTitled(title).empty(); }

XWindowId XServer::WaitForWindow(const std::string& title, std::chrono::milliseconds timeout) {
  const auto end = Clock::now() + timeout;
  for (;;) {
    const std::vector<XWindowId> found = WindowsTitled(title);
    if (!found.empty()) return found.front();
    if (Clock::now() >= end) return 0;
    std::this_thread::sleep_for(kPoll);
  }
}

bool XServer::WaitUntilGone(const std::string& title, std::chrono::milliseconds timeout) {
  const auto end = Clock::now() + timeout;
  while (HasWindow(title)) {
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(kPoll);
  }
  return true;
}

QRect XServer::Area(XWindowId window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(x_, window, &attributes)) return {};
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(x_, window, DefaultRootWindow(x_), 0, 0, &x, &y, &child);
  return QRect(x, y, attributes.width, attributes.height);
}

namespace {
// The ancestor that is a child of the root: the frame under a window manager.
Window TopLevelOf(Display* x, Window window) {
  for (;;) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(x, window, &root, &parent, &children, &count)) return 0;
    if (children) XFree(children);
    if (parent == root || parent == 0) return window;
    window = parent;
  }
}
}  // namespace

QRect XServer::FramedArea(XWindowId window) {
  const Window top = TopLevelOf(x_, window);
  XWindowAttributes attributes;
  if (!top || !XGetWindowAttributes(x_, top, &attributes)) return {};
  return QRect(attributes.x, attributes.y, attributes.width + 2 * attributes.border_width,
               attributes.height + 2 * attributes.border_width);
}

int XServer::StackingIndex(XWindowId window) {
  XSync(x_, False);
  const Window top = TopLevelOf(x_, window);
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!top || !XQueryTree(x_, DefaultRootWindow(x_), &root, &parent, &children, &count)) return -1;
  int index = -1;
  for (unsigned i = 0; i < count; ++i) {
    if (children[i] == top) index = static_cast<int>(i);
  }
  if (children) XFree(children);
  return index;
}

std::vector<long> XServer::MotifHints(XWindowId window) {
  std::vector<long> hints;
  const Atom motif = XInternAtom(x_, "_MOTIF_WM_HINTS", False);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(x_, window, motif, 0, 5, False, AnyPropertyType, &type, &format, &items, &after, &data) ==
          Success &&
      data && format == 32 && items >= 3) {
    const auto* values = reinterpret_cast<const long*>(data);
    hints.assign(values, values + 3);
  }
  if (data) XFree(data);
  return hints;
}

bool XServer::SizeIsFixed(XWindowId window) {
  XSizeHints hints{};
  long supplied = 0;
  if (!XGetWMNormalHints(x_, window, &hints, &supplied)) return false;
  return (hints.flags & PMinSize) && (hints.flags & PMaxSize) && hints.min_width == hints.max_width &&
         hints.min_height == hints.max_height;
}

std::vector<std::string> XServer::AllowedActions(XWindowId window) {
  std::vector<std::string> names;
  const Atom allowed = XInternAtom(x_, "_NET_WM_ALLOWED_ACTIONS", False);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(x_, window, allowed, 0, 64, False, XA_ATOM, &type, &format, &items, &after, &data) ==
          Success &&
      data && format == 32) {
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < items; ++i) {
      if (char* name = XGetAtomName(x_, atoms[i])) {
        names.emplace_back(name);
        XFree(name);
      }
    }
  }
  if (data) XFree(data);
  return names;
}

void XServer::SetResources(const std::string& text) {
  if (!x_) return;
  XChangeProperty(x_, DefaultRootWindow(x_), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  XSync(x_, False);
}

QImage XServer::Screenshot() {
  if (!x_) return {};
  XSync(x_, False);
  const Window root = DefaultRootWindow(x_);
  XWindowAttributes attributes;
  XGetWindowAttributes(x_, root, &attributes);
  XImage* shot = XGetImage(x_, root, 0, 0, static_cast<unsigned>(attributes.width),
                           static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!shot) return {};
  QImage image(shot->width, shot->height, QImage::Format_RGB32);
  for (int y = 0; y < shot->height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
    for (int x = 0; x < shot->width; ++x) {
      const unsigned long p = XGetPixel(shot, x, y);
      row[x] = 0xFF000000u | static_cast<uint32_t>(p & 0xFFFFFFu);
    }
  }
  XDestroyImage(shot);
  return image;
}

void XServer::Click(int x, int y, unsigned button) {
  XTestFakeMotionEvent(x_, -1, x, y, CurrentTime);
  XSync(x_, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  XTestFakeButtonEvent(x_, button, True, CurrentTime);
  XSync(x_, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  XTestFakeButtonEvent(x_, button, False, CurrentTime);
  XSync(x_, False);
}

void XServer::Drag(QPoint from, QPoint to) {
  MovePointer(from.x(), from.y());
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  XTestFakeButtonEvent(x_, 1, True, CurrentTime);
  XSync(x_, False);
  // In steps: a window manager starts moving only after the pointer has
  // gone some way with the button down, and follows it motion by motion.
  constexpr int kSteps = 10;
  for (int i = 1; i <= kSteps; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    MovePointer(from.x() + (to.x() - from.x()) * i / kSteps, from.y() + (to.y() - from.y()) * i / kSteps);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  XTestFakeButtonEvent(x_, 1, False, CurrentTime);
  XSync(x_, False);
}

void XServer::MovePointer(int x, int y) {
  XTestFakeMotionEvent(x_, -1, x, y, CurrentTime);
  XSync(x_, False);
}

unsigned char XServer::KeycodeFor(unsigned keysym) {
  if (const auto spare = spareKeys_.find(keysym); spare != spareKeys_.end()) return spare->second;
  if (const KeyCode code = XKeysymToKeycode(x_, keysym)) return code;
  int low = 0, high = 0;
  XDisplayKeycodes(x_, &low, &high);
  int perCode = 0;
  KeySym* map = XGetKeyboardMapping(x_, static_cast<KeyCode>(low), high - low + 1, &perCode);
  if (!map) return 0;
  unsigned char found = 0;
  // From the top: the low keycodes are the ones real keyboards use.
  for (int code = high; code >= low && !found; --code) {
    bool unused = true;
    for (int i = 0; i < perCode; ++i) unused = unused && map[(code - low) * perCode + i] == NoSymbol;
    for (const auto& spare : spareKeys_) unused = unused && spare.second != code;
    if (unused) found = static_cast<unsigned char>(code);
  }
  XFree(map);
  if (!found) return 0;
  KeySym symbol = keysym;
  XChangeKeyboardMapping(x_, found, 1, &symbol, 1);
  XSync(x_, False);
  spareKeys_[keysym] = found;
  return found;
}

void XServer::KeyStroke(unsigned keysym) {
  const KeyCode code = KeycodeFor(keysym);
  if (code == 0) return;
  // Shifted when the key's unshifted symbol is another one (capitals, "!");
  // a spare key holds its one symbol unshifted (and Xlib's copy of the
  // keymap does not know it yet).
  const bool shift = !spareKeys_.contains(keysym) && XkbKeycodeToKeysym(x_, code, 0, 0) != keysym;
  const KeyCode shiftCode = XKeysymToKeycode(x_, XK_Shift_L);
  if (shift) XTestFakeKeyEvent(x_, shiftCode, True, CurrentTime);
  XTestFakeKeyEvent(x_, code, True, CurrentTime);
  XTestFakeKeyEvent(x_, code, False, CurrentTime);
  if (shift) XTestFakeKeyEvent(x_, shiftCode, False, CurrentTime);
  XSync(x_, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(15));
}

void XServer::Type(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    // UTF-8, trusted: the tests' own texts.
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    uint32_t c = length == 1 ? lead : lead & (0x3Fu >> (length - 1));
    for (size_t k = 1; k < length && i + k < text.size(); ++k) c = (c << 6) | (text[i + k] & 0x3Fu);
    i += length;
    // Latin-1 keysyms are the characters' own codes; every other character
    // has the keysym 0x01000000 + its code.
    KeyStroke(c < 0x100 ? c : 0x01000000u | c);
  }
}

XWindowId XServer::FocusedWindow() {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(x_, &focus, &revert);
  return focus == PointerRoot ? 0 : focus;
}

void XServer::PressKey(const std::string& keyName) {
  const KeySym keysym = XStringToKeysym(keyName.c_str());
  if (keysym != NoSymbol) KeyStroke(static_cast<unsigned>(keysym));
}

void XSendClientMessage(struct _XDisplay* x, XWindowId window, const char* type, long first, long second,
                        bool toWindowManager) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(x, type, False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = first;
  event.xclient.data.l[1] = second;
  if (toWindowManager) {
    XSendEvent(x, DefaultRootWindow(x), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  } else {
    XSendEvent(x, window, False, NoEventMask, &event);
  }
  XSync(x, False);
}

void XServer::SendDeleteWindow(XWindowId window) {
  XSendClientMessage(x_, window, "WM_PROTOCOLS", static_cast<long>(XInternAtom(x_, "WM_DELETE_WINDOW", False)),
                     CurrentTime, false);
}

void XServer::RequestClose(XWindowId window) {
  // 2: a request from a pager or a person's tool.
  XSendClientMessage(x_, window, "_NET_CLOSE_WINDOW", CurrentTime, 2, true);
}
