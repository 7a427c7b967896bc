#include "windows/info_box.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/error_codes.h"
#include "core/memory.h"
#include "platform/window.h"
#include "shell/data_path.h"
#include "toolkit/raster.h"
#include "toolkit/text_draw.h"
#include "toolkit/window.h"

namespace {

// Below the caption, border included.
constexpr int32_t kBodyHeight = 52;
constexpr int32_t kTextX = 16;
constexpr int32_t kTextY = 8;
constexpr Pixel kWhite = PixelFromRgb(255, 255, 255);
constexpr Pixel kBlack = PixelFromRgb(0, 0, 0);

char* CopyText(const char* text) {
  if (!text) text = "";
  const size_t length = std::strlen(text);
  auto* copy = static_cast<char*>(MemAlloc(length + 1));
  if (copy) std::memcpy(copy, text, length + 1);
  return copy;
}

// The whole picture anew: white, the text at its place in the default font.
void Redraw(InfoBox* box) {
  PixelBuffer& p = box->picture;
  if (!p.pixels) return;
  const Rect clip{0, 0, static_cast<int16_t>(p.width), static_cast<int16_t>(p.height)};
  RasterFill(&p, clip, clip, kWhite);
  if (!box->text || !box->text[0]) return;
  // Placed by its top-left corner: a rectangle one line high.
  const int16_t lineHeight = TextMeasureHeight(nullptr, box->text);
  const Rect line{static_cast<int16_t>(box->textX), kTextY, static_cast<int16_t>(p.width),
                  static_cast<int16_t>(kTextY + lineHeight)};
  TextDrawInBuffer(&p, nullptr, line, clip, kBlack, kTextAlignLeft, box->text);
}

void Present(InfoBox* box) {
  if (!box->window || !box->picture.pixels) return;
  PlatformWindowPresent(box->window, PlatformRect{0, 0, box->picture.width, box->picture.height});
}

// The box's window procedure. The picture is always current, so an expose
// has nothing left to draw; nothing else concerns the box (it has no close
// box, and a close request from elsewhere leaves it standing).
bool InfoBoxInput(PlatformWindow, const PlatformInput& input) {
  return input.type == kPlatformInputExpose || input.type == kPlatformInputCloseRequest;
}

}  // namespace

InfoBox* InfoBoxNew() {
  auto* box = static_cast<InfoBox*>(MemAllocZero(1, sizeof(InfoBox)));
  if (box) box->kind = kObjectKindInfoBox;
  return box;
}

ErrorCode InfoBoxInit(InfoBox* box, Window* parent, const char* text, uint16_t width,
                      uint16_t optionFlag, uint16_t optionMaximum) {
  PlatformWindowMetrics m;
  PlatformWindowGetMetrics(&m);
  const int32_t height = m.captionHeight + kBodyHeight;
  const int32_t left = (m.screenWidth - width) / 2;
  const int32_t top = (m.screenHeight - height) / 2;
  // A caption without a dialog frame has a thin border all round.
  const int32_t areaWidth = std::min<int32_t>(width - 2 * m.borderWidth, INT16_MAX);
  const int32_t areaHeight = height - m.captionHeight - 2 * m.borderHeight;

  char* copy = CopyText(text);
  if (!copy) return kErrorOutOfMemory;
  PixelBuffer picture{0, 0, nullptr};
  if (areaWidth > 0 && areaHeight > 0 && !PixelBufferInit(&picture, areaWidth, areaHeight, kWhite)) {
    MemFree(copy);
    return kErrorOutOfMemory;
  }

  const PlatformWindow owner = parent ? WindowGetHandle(parent) : nullptr;
  const PlatformWindow window =
      PlatformWindowCreate(kPlatformWindowDialog, owner, kPlatformDecorCaption | kPlatformDecorStayOnTop,
                           ProgramName(), reinterpret_cast<uintptr_t>(box));
  if (!window) {
    PixelBufferFree(&picture);
    MemFree(copy);
    return kErrorSystem;
  }
  PlatformWindowSetHandler(window, &InfoBoxInput);

  // A box made again replaces its earlier window.
  if (box->window) PlatformWindowDestroy(box->window);
  MemFree(box->text);
  PixelBufferFree(&box->picture);
  box->window = window;
  box->text = copy;
  box->picture = picture;
  box->textX = kTextX;
  box->optionTop = 28;
  box->optionRight = width - 16;
  box->optionBottom = 40;
  box->width = width;
  box->optionFlag = optionFlag;
  box->optionMaximum = optionMaximum;
  box->optionValue = 0;

  // The buffer belongs to the window before the first text is drawn into
  // it, so that a window shown enlarged keeps that text sharp too.
  PlatformWindowSetBuffer(window, box->picture.pixels, box->picture.width, box->picture.height);
  Redraw(box);
  PlatformWindowSetOuterRect(window, PlatformRect{left, top, left + width, top + height});
  return kErrorNone;
}

void InfoBoxShow(InfoBox* box) {
  if (!box->window) return;
  PlatformWindowShow(box->window);
  Present(box);
}

void InfoBoxSetText(InfoBox* box, const char* text) {
  char* copy = CopyText(text);
  if (!copy) return;
  MemFree(box->text);
  box->text = copy;
  Redraw(box);
  Present(box);
}

void InfoBoxDelete(InfoBox* box) {
  if (!box) return;
  if (box->window) PlatformWindowDestroy(box->window);
  PixelBufferFree(&box->picture);
  MemFree(box->text);
  MemFree(box);
}
