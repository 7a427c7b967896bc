#include "platform/qt/qt_decorations.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include "platform/window.h"

namespace {

// _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
enum : uint32_t {
  kMotifFlagFunctions = 1,
  kMotifFlagDecorations = 2,
  kMotifFunctionMove = 4,
  kMotifFunctionMinimise = 8,
  kMotifFunctionClose = 32,
  kMotifDecorBorder = 2,
  kMotifDecorTitle = 8,
  kMotifDecorMenu = 16,
  kMotifDecorMinimise = 32,
};

}  // namespace

void QtPublishDecorations(QWidget* window, uint32_t decorations) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c || !window || !window->isWindow()) return;
  const auto id = static_cast<xcb_window_t>(window->winId());

  uint32_t functions = kMotifFunctionMove;
  uint32_t decor = 0;
  if (decorations & kPlatformDecorCaption) decor |= kMotifDecorBorder | kMotifDecorTitle;
  if (decorations & kPlatformDecorMinimiseBox) {
    functions |= kMotifFunctionMinimise;
    decor |= kMotifDecorMinimise;
  }
  if (decorations & kPlatformDecorSystemMenu) {
    functions |= kMotifFunctionClose;
    decor |= kMotifDecorMenu;
  }
  const uint32_t hints[5] = {kMotifFlagFunctions | kMotifFlagDecorations, functions, decor, 0, 0};

  static const char kName[] = "_MOTIF_WM_HINTS";
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof kName - 1, kName), nullptr);
  if (!atom) return;
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom->atom, atom->atom, 32, 5, hints);
  std::free(atom);
  xcb_flush(c);
}
