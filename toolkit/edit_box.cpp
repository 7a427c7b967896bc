#include "toolkit/edit_box.h"

#include "core/error_codes.h"
#include "core/memory.h"
#include "platform/control.h"
#include "platform/window.h"
#include "toolkit/font.h"
#include "toolkit/window.h"

EditBox* EditBoxNew() {
  auto* box = static_cast<EditBox*>(MemAllocZero(1, sizeof(EditBox)));
  if (box) box->kind = kObjectKindEditBox;
  return box;
}

ErrorCode EditBoxInit(EditBox* box, Window* window, const Rect* rect, const char* text,
                      const Font* font, uint16_t vscroll, uint16_t readOnly, uint16_t multiline,
                      uint16_t border, EditCharProc charProc, UserData userData) {
  box->charProc = charProc;
  box->userData = userData;
  uint32_t flags = 0;
  if (multiline) flags |= kPlatformEditMultiLine;
  if (vscroll) flags |= kPlatformEditVScroll;
  if (border) flags |= kPlatformEditBorder;
  // A character procedure sees every change of the text: nothing may reach
  // the box past it (a paste, a drop, Delete), or a password's plain text
  // and its stars would part.
  if (charProc && !multiline) flags |= kPlatformEditTypedOnly;
  box->controlId = window->nextControlId++;
  const PlatformRect r{rect->left, rect->top, rect->right, rect->bottom};
  PlatformWindow handle = PlatformEditCreate(window->handle, r, flags, text, box->controlId,
                                             reinterpret_cast<uintptr_t>(box));
  if (!handle) return kErrorSystem;
  if (font) {
    // The caller's font may go before the box does.
    Font* own = FontCopy(font);
    if (!own) {
      PlatformWindowDestroy(handle);
      return kErrorOutOfMemory;
    }
    FontDelete(box->font);
    box->font = own;
    PlatformControlSetFont(handle, FontHandle(own));
  }
  box->handle = handle;
  box->readOnly = readOnly ? 1 : 0;
  PlatformEditSetReadOnly(handle, box->readOnly != 0);
  return 0;
}

void EditBoxDelete(EditBox* box) {
  if (!box) return;
  if (box->handle) PlatformWindowDestroy(box->handle);
  FontDelete(box->font);
  MemFree(box);
}

void EditBoxSetReadOnly(EditBox* box) {
  box->readOnly = 1;
  PlatformEditSetReadOnly(box->handle, true);
}

void EditBoxSetEditable(EditBox* box) {
  box->readOnly = 0;
  PlatformEditSetReadOnly(box->handle, false);
}

int32_t EditBoxGetTextLength(const EditBox* box) { return PlatformEditTextLength(box->handle); }

char* EditBoxGetText(const EditBox* box) {
  const int32_t length = PlatformEditTextLength(box->handle);
  auto* text = static_cast<char*>(MemAlloc(static_cast<size_t>(length) + 1));
  if (!text) return nullptr;
  PlatformEditGetText(box->handle, text, length + 1);
  return text;
}

void EditBoxSetText(EditBox* box, const char* text) { PlatformEditSetText(box->handle, text ? text : ""); }

void EditBoxClear(EditBox* box) { PlatformEditSetText(box->handle, ""); }

void EditBoxInsertChar(EditBox* box, char character) {
  const char text[2] = {character, '\0'};
  PlatformEditReplaceSelection(box->handle, text);
}

void EditBoxDeleteSelection(EditBox* box) { PlatformEditReplaceSelection(box->handle, ""); }

void EditBoxGetSelection(const EditBox* box, int32_t* start, int32_t* end) {
  PlatformEditGetSelection(box->handle, start, end);
}

int32_t EditBoxGetCaret(const EditBox* box) {
  int32_t start = 0;
  int32_t end = 0;
  PlatformEditGetSelection(box->handle, &start, &end);
  return end;
}

int32_t EditBoxGetSelectionLength(const EditBox* box) {
  int32_t start = 0;
  int32_t end = 0;
  PlatformEditGetSelection(box->handle, &start, &end);
  return end - start;
}

void EditBoxSetSelection(EditBox* box, int32_t start, int32_t end) {
  PlatformEditSetSelection(box->handle, start, end);
}

void EditBoxSetFocus(EditBox* box) { PlatformWindowSetFocus(box->handle); }
