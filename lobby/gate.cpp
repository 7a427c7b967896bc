#include "lobby/gate.h"

#include "lobby/login_window.h"
#include "media/image.h"
#include "media/image_draw.h"
#include "shell/data_path.h"
#include "shell/motion.h"
#include "shell/os_services.h"
#include "shell/timer.h"
#include "toolkit/alert.h"
#include "toolkit/draw.h"
#include "toolkit/offscreen.h"
#include "toolkit/window.h"

GateScreen g_gate = {};

const Rect kGateZoomTable[kGateZoomSteps] = {
    {0, 0, 600, 382},     {56, 34, 536, 340},   {101, 60, 485, 305},  {137, 81, 445, 277},
    {164, 96, 412, 255},  {188, 110, 384, 236}, {207, 120, 363, 220}, {222, 128, 346, 208},
    {233, 135, 333, 199}, {242, 140, 322, 190}, {250, 144, 314, 184}, {256, 148, 308, 181},
    {261, 151, 301, 176}, {265, 154, 297, 173}, {267, 156, 295, 171}, {269, 157, 293, 169},
};

namespace {

void PostQuit() { EventPost(nullptr, nullptr, EventQuit, nullptr, nullptr, 0, 0, 0, 0); }

// The gate window and its picture go; the program ends with the posted quit.
void GateCloseAndQuit() {
  OffscreenDelete(g_gate.picture);
  g_gate.picture = nullptr;
  Window* window = g_gate.window;
  g_gate.window = nullptr;
  if (window) WindowDelete(window);
  PostQuit();
}

// Fires once, three seconds after the gate opened: unless the login window
// was opened meanwhile, it opens now as if the gate had been clicked.
void GateTimerFired(Timer* timer, UserData) {
  if (g_gate.timerPending == 1 && g_gate.window) {
    EventPost(g_gate.window, WindowGetProc(g_gate.window), EventButtonDown, nullptr, nullptr, 0, 0, 0, 0);
  }
  g_gate.timerPending = 0;
  TimerSetInterval(timer, 0);
}

// What GateOpen made before it failed.
void GateUndo() {
  GateDeleteTimer();
  OffscreenDelete(g_gate.picture);
  g_gate.picture = nullptr;
}

ErrorCode OutOfMemory() {
  GateUndo();
  Alert("Out of memory.", nullptr);
  return kErrorOutOfMemory;
}

}  // namespace

ErrorCode GateOpen() {
  g_gate.timer = TimerNew();
  if (!g_gate.timer) return OutOfMemory();
  TimerStart(g_gate.timer, kGateWaitTicks, &GateTimerFired, 0);
  g_gate.timerPending = 1;

  Image* image = ImageLoadFile(ProgramDataPath(kGateImageFileName));
  if (!image) {
    GateUndo();
    Alert("Failed to load the gate image file.", nullptr);
    return kErrorFileNotFound;
  }
  g_gate.rect = Rect{0, 0, static_cast<int16_t>(ImageWidth(image)), static_cast<int16_t>(ImageHeight(image))};

  g_gate.picture = OffscreenNew();
  if (!g_gate.picture || OffscreenInit(g_gate.picture, &g_gate.rect) != 0) {
    ImageDelete(image);
    return OutOfMemory();
  }
  DrawBegin(g_gate.picture);
  ImageDraw(image, g_gate.picture, &g_gate.rect, nullptr, kDrawModeCopy);
  DrawEnd(g_gate.picture);
  ImageDelete(image);

  Window* window = WindowNew();
  if (!window) return OutOfMemory();
  if (WindowInit(window, &g_gate.rect, kWindowKindMain, nullptr, "Gate", 1, 1, &GateEventProc, 0) != 0) {
    WindowDelete(window);
    return OutOfMemory();
  }
  g_gate.window = window;
  WindowSetDefaultParent(window);
  return 0;
}

uint16_t GateEventProc(void*, Event* event) {
  switch (event->type) {
    case EventClose:
      GateCloseAndQuit();
      return 1;
    case EventPaint:
      // After the picture was discarded the lobby draws this window.
      if (g_gate.picture && g_gate.window) {
        DrawCopy(g_gate.picture, g_gate.window, &g_gate.rect, &g_gate.rect, nullptr, kDrawModeCopy);
      }
      return 1;
    case EventButtonDown:
    case EventChar:
      if (OpenLoginWindow() != 0) GateCloseAndQuit();
      return 0;
    default:
      return 0;
  }
}

void GateZoom() {
  if (!g_gate.window || !g_gate.picture || MotionReduced()) return;
  DrawBegin(g_gate.window);
  for (const Rect& source : kGateZoomTable) {
    SleepTicks(kGateZoomStepTicks);
    DrawCopy(g_gate.picture, g_gate.window, &source, &g_gate.rect, nullptr, kDrawModeCopy);
  }
  DrawEnd(g_gate.window);
}

void GateDiscardPicture() {
  OffscreenDelete(g_gate.picture);
  g_gate.picture = nullptr;
}

void GateCancelTimer() {
  if (g_gate.timerPending != 1) return;
  g_gate.timerPending = 0;
  if (g_gate.timer) TimerSetInterval(g_gate.timer, 0);
}

void GateDeleteTimer() {
  TimerDelete(g_gate.timer);
  g_gate.timer = nullptr;
  g_gate.timerPending = 0;
}
