#include "lobby/lobby_access.h"

#include <string>
#include <vector>

#include "lobby/gate.h"
#include "lobby/lobby_focus.h"
#include "lobby/room.h"
#include "lobby/status_window.h"
#include "platform/access.h"
#include "toolkit/window.h"

namespace {

constexpr char kWelcomeIconName[] = "Welcome";

struct Told {
  std::vector<std::string> names;
  std::vector<Rect> rects;
  int focus = -1;
};
Told g_told;

std::string NameOf(const LobbyFocusItem& item) {
  if (item.kind != LobbyFocusKind::kRoom) return kWelcomeIconName;
  char status[32];
  StatusWindowText(item.room, status, sizeof status);
  std::string name = item.room->name;
  if (status[0] != '\0') name += std::string(", ") + status;
  return name;
}

bool SameRects(const std::vector<Rect>& a, const std::vector<Rect>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].left != b[i].left || a[i].top != b[i].top || a[i].right != b[i].right || a[i].bottom != b[i].bottom) {
      return false;
    }
  }
  return true;
}

}  // namespace

void LobbyAccessRefresh() {
  const PlatformWindow handle = g_gate.window ? WindowGetHandle(g_gate.window) : nullptr;
  if (!handle) return;
  const std::vector<LobbyFocusItem> order = LobbyFocusOrder();
  Told now;
  for (const LobbyFocusItem& item : order) {
    now.names.push_back(NameOf(item));
    now.rects.push_back(item.rect);
  }
  now.focus = g_lobbyFocus.marked ? LobbyFocusIndex(order) : -1;
  if (now.names != g_told.names || !SameRects(now.rects, g_told.rects)) {
    std::vector<PlatformAccessItem> items;
    for (size_t i = 0; i < order.size(); ++i) {
      const Rect& r = now.rects[i];
      items.push_back({PlatformRect{r.left, r.top, r.right, r.bottom}, now.names[i].c_str(),
                       order[i].kind == LobbyFocusKind::kRoom ? kPlatformAccessItem : kPlatformAccessButton});
    }
    PlatformWindowSetAccessItems(handle, items.data(), static_cast<int32_t>(items.size()));
    g_told.focus = -2;  // the items moved under the focus: say it again
  }
  if (now.focus != g_told.focus) PlatformWindowSetAccessFocus(handle, now.focus);
  g_told = std::move(now);
}

void LobbyAccessReset() {
  if (g_gate.window && g_gate.window->handle) PlatformWindowSetAccessItems(g_gate.window->handle, nullptr, 0);
  g_told = Told{};
}
