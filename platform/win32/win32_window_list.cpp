// The desktop's top-level windows on Win32: EnumWindows walks them topmost
// first; raising restores a minimised window and brings it to the front.
// Tests replace the list with made-up windows.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/testing.h"

namespace {

bool g_fake = false;
std::vector<std::string> g_fakeTitles;
int32_t g_fakeRaised = -1;

struct Walk {
  uint32_t capacity;
  PlatformTopWindowVisit visit;
  void* context;
};

BOOL CALLBACK VisitOne(HWND hwnd, LPARAM lParam) {
  auto* walk = reinterpret_cast<Walk*>(lParam);
  if (!IsWindowVisible(hwnd)) return TRUE;
  std::vector<char> title(walk->capacity > 0 ? walk->capacity : 1, '\0');
  GetWindowTextA(hwnd, title.data(), static_cast<int>(title.size()));
  title.back() = '\0';
  return walk->visit(reinterpret_cast<PlatformTopWindow>(hwnd), title.data(), walk->context) ? TRUE : FALSE;
}

}  // namespace

void PlatformTestSetTopWindows(const char* const* titles, int32_t count) {
  g_fake = count >= 0;
  g_fakeTitles.clear();
  g_fakeRaised = -1;
  for (int32_t i = 0; i < count; ++i) g_fakeTitles.emplace_back(titles[i] ? titles[i] : "");
}

int32_t PlatformTestRaisedTopWindow() { return g_fakeRaised; }

void PlatformTopWindowsVisit(uint32_t titleCapacity, PlatformTopWindowVisit visit, void* context) {
  if (!visit) return;
  if (g_fake) {
    for (size_t i = 0; i < g_fakeTitles.size(); ++i) {
      std::string title = g_fakeTitles[i];
      if (titleCapacity == 0) title.clear();
      else if (title.size() > titleCapacity - 1) title.resize(titleCapacity - 1);
      if (!visit(static_cast<PlatformTopWindow>(i + 1), title.c_str(), context)) return;
    }
    return;
  }
  Walk walk{titleCapacity, visit, context};
  EnumWindows(&VisitOne, reinterpret_cast<LPARAM>(&walk));
}

bool PlatformTopWindowRaise(PlatformTopWindow window) {
  if (g_fake) {
    if (window == 0 || window > g_fakeTitles.size()) return false;
    g_fakeRaised = static_cast<int32_t>(window - 1);
    return true;
  }
  HWND hwnd = reinterpret_cast<HWND>(window);
  if (!IsWindow(hwnd)) return false;
  if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(hwnd);
  return true;
}
