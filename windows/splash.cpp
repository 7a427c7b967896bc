#include "windows/splash.h"

#include "core/memory.h"
#include "media/image.h"
#include "media/image_draw.h"
#include "media/resource_file.h"
#include "shell/data_path.h"
#include "shell/timer.h"
#include "toolkit/draw.h"
#include "toolkit/event.h"
#include "toolkit/window.h"

namespace {

struct SplashRecord {
  Window* window;
  Image* image;
  Timer* timer;  // timed splash only
  SplashNext next;
  bool closing;  // the first trigger has begun closing; the others do nothing
};

Image* LoadPicture() {
  ResourceFile* file = ResourceFileNew();
  if (!file) return nullptr;
  Image* image = nullptr;
  if (ResourceFileOpen(file, CommonDataPath("orva.ors")) == 0) image = ResourceFileGetImage(file, 0);
  ResourceFileDelete(file);
  return image;
}

// Everything but next, which the caller runs afterwards.
void SplashFree(SplashRecord* splash) {
  TimerDelete(splash->timer);
  WindowDelete(splash->window);
  ImageDelete(splash->image);
  MemFree(splash);
}

uint16_t SplashEvent(void* source, Event* event);

// Hidden and out of the modal state now; deleted when the posted close
// arrives, so the input or timer pass that triggered it unwinds first.
void BeginClosing(SplashRecord* splash) {
  if (splash->closing) return;
  splash->closing = true;
  if (splash->timer) TimerSetInterval(splash->timer, 0);
  WindowEndModal();
  WindowHide(splash->window);
  EventPost(splash->window, &SplashEvent, EventClose, nullptr, nullptr, 0, 0, 0,
            reinterpret_cast<UserData>(splash));
}

uint16_t SplashEvent(void* source, Event* event) {
  auto* splash = reinterpret_cast<SplashRecord*>(event->userData);
  switch (event->type) {
    case EventPaint: {
      auto* window = static_cast<Window*>(source);
      Rect rect;
      WindowGetRect(window, &rect);
      RectOffset(&rect, static_cast<int16_t>(-rect.left), static_cast<int16_t>(-rect.top));
      DrawBegin(window);
      ImageDraw(splash->image, window, &rect, nullptr, kDrawModeCopy);
      DrawEnd(window);
      return 1;
    }
    case EventButtonDown:
    case EventChar:
      BeginClosing(splash);
      return 1;
    case EventClose: {
      const SplashNext next = splash->next;
      SplashFree(splash);
      if (next) next();
      return 1;
    }
    default:
      return 0;
  }
}

void SplashTimeout(Timer*, UserData userData) {
  BeginClosing(reinterpret_cast<SplashRecord*>(userData));
}

}  // namespace

void SplashShow(uint16_t timed, SplashNext next) {
  auto* splash = static_cast<SplashRecord*>(MemAllocZero(1, sizeof(SplashRecord)));
  Image* image = splash ? LoadPicture() : nullptr;
  if (!image) {
    MemFree(splash);
    if (next) next();
    return;
  }
  splash->image = image;
  splash->next = next;

  // A splash whose window cannot be made is dropped whole, timer and all, so
  // that nothing is left to run next a second time.
  splash->window = WindowNew();
  const Rect rect{0, 0, static_cast<int16_t>(ImageWidth(image)), static_cast<int16_t>(ImageHeight(image))};
  if (!splash->window || WindowInit(splash->window, &rect, kWindowKindDialog, nullptr, "Orva", 1, 1,
                                    &SplashEvent, reinterpret_cast<UserData>(splash)) != 0) {
    SplashFree(splash);
    if (next) next();
    return;
  }
  WindowSetModal(splash->window);

  if (timed) {
    splash->timer = TimerNew();
    if (splash->timer) TimerStart(splash->timer, kSplashTicks, &SplashTimeout, reinterpret_cast<UserData>(splash));
  }
}
