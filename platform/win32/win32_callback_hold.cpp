#include "platform/win32/win32_callback_hold.h"

#include <deque>
#include <utility>

#include "platform/win32/win32_state.h"

namespace {

int g_depth = 0;
std::deque<std::function<void()>> g_deferred;
bool g_runPosted = false;

void PostRun() {
  if (g_runPosted || g_deferred.empty()) return;
  g_runPosted = Win32PostDeferredRun();
}

}  // namespace

Win32CallbackHold::Win32CallbackHold() { ++g_depth; }

Win32CallbackHold::~Win32CallbackHold() {
  if (--g_depth > 0) return;
  Win32WindowsRepaintOwed();
  Win32SocketsReportAgain();
  PostRun();
}

bool Win32CallbacksHeld() { return g_depth > 0; }

void Win32CallOrDefer(std::function<void()> call) {
  if (g_depth == 0) {
    call();
    return;
  }
  g_deferred.push_back(std::move(call));
}

void Win32RunDeferredCalls() {
  g_runPosted = false;
  // A call may show a window and so open a hold of its own: what that keeps
  // back joins the queue, and the hold's end posts the rest again.
  while (!g_deferred.empty() && g_depth == 0) {
    std::function<void()> call = std::move(g_deferred.front());
    g_deferred.pop_front();
    call();
  }
  if (g_depth == 0) PostRun();
}
