// The desktop's top-level windows: on X11 the window manager's client list
// with the clients' names, read through Qt's own connection to the server;
// elsewhere (offscreen, Wayland) only the program's own windows. Tests may
// put a made-up list in place of either.

#include <QApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/testing.h"

namespace {

// Made-up windows for tests; active while g_fakeActive.
bool g_fakeActive = false;
std::vector<std::string> g_fakeTitles;
int32_t g_fakeRaised = -1;

// Longest title list we read in one go: far more windows than any desktop has.
constexpr uint32_t kMaxClients = 4096;

std::string Cut(std::string text, uint32_t capacity) {
  const size_t keep = capacity > 0 ? capacity - 1 : 0;
  if (text.size() > keep) text.resize(keep);
  return text;
}

// ---- X11 ----

xcb_connection_t* X11Connection() {
  auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return app ? app->connection() : nullptr;
}

xcb_window_t X11Root(xcb_connection_t* c) {
  const xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  if (it.rem <= 0) return XCB_WINDOW_NONE;
  return it.data->root;
}

xcb_atom_t X11Atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  xcb_atom_t atom = XCB_ATOM_NONE;
  if (reply) atom = reply->atom;
  std::free(reply);
  return atom;
}

// The windows of a list property of the root, in the order stored.
bool X11WindowList(xcb_connection_t* c, xcb_window_t root, xcb_atom_t property,
                   std::vector<xcb_window_t>* out) {
  if (property == XCB_ATOM_NONE) return false;
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      c, xcb_get_property(c, 0, root, property, XCB_ATOM_WINDOW, 0, kMaxClients), nullptr);
  if (!reply) return false;
  const bool ok = reply->type == XCB_ATOM_WINDOW && reply->format == 32;
  if (ok) {
    const int count = xcb_get_property_value_length(reply) / 4;
    const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
    out->assign(ids, ids + std::max(count, 0));
  }
  std::free(reply);
  return ok;
}

// A window's name property as bytes, at most capacity - 1 of them.
bool X11Text(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
             uint32_t capacity, std::string* out) {
  if (property == XCB_ATOM_NONE) return false;
  const uint32_t longs = capacity / 4 + 1;
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, property, type, 0, longs), nullptr);
  if (!reply) return false;
  const bool ok = reply->format == 8 && reply->type != XCB_ATOM_NONE &&
                  (type == XCB_GET_PROPERTY_TYPE_ANY || reply->type == type);
  if (ok) {
    const int length = xcb_get_property_value_length(reply);
    const char* bytes = static_cast<const char*>(xcb_get_property_value(reply));
    std::string text(bytes, bytes + std::max(length, 0));
    // A name is text up to its first NUL.
    text.resize(std::strlen(text.c_str()));
    *out = Cut(std::move(text), capacity);
  }
  std::free(reply);
  return ok;
}

struct X11Window {
  PlatformTopWindow id;
  std::string title;
};

// Topmost first. The stacking list runs bottom to top; without a window
// manager the root's children do too.
bool X11Windows(uint32_t capacity, std::vector<X11Window>* out) {
  xcb_connection_t* c = X11Connection();
  if (!c || xcb_connection_has_error(c)) return false;
  const xcb_window_t root = X11Root(c);
  if (root == XCB_WINDOW_NONE) return false;

  std::vector<xcb_window_t> ids;
  if (!X11WindowList(c, root, X11Atom(c, "_NET_CLIENT_LIST_STACKING"), &ids) &&
      !X11WindowList(c, root, X11Atom(c, "_NET_CLIENT_LIST"), &ids)) {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (tree) {
      const xcb_window_t* children = xcb_query_tree_children(tree);
      ids.assign(children, children + xcb_query_tree_children_length(tree));
      std::free(tree);
    }
  }
  std::reverse(ids.begin(), ids.end());

  const xcb_atom_t netName = X11Atom(c, "_NET_WM_NAME");
  const xcb_atom_t utf8 = X11Atom(c, "UTF8_STRING");
  for (xcb_window_t id : ids) {
    std::string title;
    if (!X11Text(c, id, netName, utf8, capacity, &title) &&
        !X11Text(c, id, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, capacity, &title)) {
      continue;
    }
    out->push_back({id, std::move(title)});
  }
  return true;
}

bool X11Raise(PlatformTopWindow window) {
  xcb_connection_t* c = X11Connection();
  if (!c || window == 0 || window > 0xFFFFFFFFu) return false;
  const auto id = static_cast<xcb_window_t>(window);
  xcb_get_window_attributes_reply_t* attributes =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr);
  if (!attributes) return false;
  std::free(attributes);

  // A window manager raises and activates on this request (source 2: asked
  // for by the user, so focus-stealing prevention lets it through); without
  // one, the plain restacking below does it.
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = id;
  message.type = X11Atom(c, "_NET_ACTIVE_WINDOW");
  message.data.data32[0] = 2;
  message.data.data32[1] = XCB_CURRENT_TIME;
  if (message.type != XCB_ATOM_NONE) {
    xcb_send_event(c, 0, X11Root(c),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
  }
  const uint32_t above = XCB_STACK_MODE_ABOVE;
  xcb_configure_window(c, id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
  xcb_flush(c);
  return true;
}

// ---- The program's own windows ----

std::vector<QWidget*> OwnWindows() {
  std::vector<QWidget*> windows;
  if (!qApp) return windows;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible()) windows.push_back(w);
  }
  // Qt keeps no stacking order of its own: the active window counts as topmost.
  std::stable_partition(windows.begin(), windows.end(),
                        [](QWidget* w) { return w == QApplication::activeWindow(); });
  return windows;
}

}  // namespace

void PlatformTestSetTopWindows(const char* const* titles, int32_t count) {
  g_fakeActive = count >= 0;
  g_fakeTitles.clear();
  for (int32_t i = 0; i < count; ++i) g_fakeTitles.emplace_back(titles[i] ? titles[i] : "");
  g_fakeRaised = -1;
}

int32_t PlatformTestRaisedTopWindow() { return g_fakeRaised; }

void PlatformTopWindowsVisit(uint32_t titleCapacity, PlatformTopWindowVisit visit, void* context) {
  if (!visit) return;
  if (g_fakeActive) {
    // Copied first: a visit may replace the list.
    const std::vector<std::string> titles = g_fakeTitles;
    for (size_t i = 0; i < titles.size(); ++i) {
      if (!visit(i + 1, Cut(titles[i], titleCapacity).c_str(), context)) return;
    }
    return;
  }
  std::vector<X11Window> x11;
  if (X11Windows(titleCapacity, &x11)) {
    for (const X11Window& w : x11) {
      if (!visit(w.id, w.title.c_str(), context)) return;
    }
    return;
  }
  for (QWidget* w : OwnWindows()) {
    const std::string title = Cut(w->windowTitle().toStdString(), titleCapacity);
    if (!visit(reinterpret_cast<uintptr_t>(w), title.c_str(), context)) return;
  }
}

bool PlatformTopWindowRaise(PlatformTopWindow window) {
  if (g_fakeActive) {
    if (window < 1 || window > g_fakeTitles.size()) return false;
    g_fakeRaised = static_cast<int32_t>(window - 1);
    return true;
  }
  if (X11Connection()) return X11Raise(window);
  for (QWidget* w : OwnWindows()) {
    if (reinterpret_cast<uintptr_t>(w) == window) {
      w->raise();
      w->activateWindow();
      return true;
    }
  }
  return false;
}
