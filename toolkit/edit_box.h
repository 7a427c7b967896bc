#pragma once
// Edit boxes: the platform's native edit control inside a Window, single or
// multi-line. Characters typed into the box are offered to its character
// procedure first; Tab, Enter and Escape go to the window instead and never
// reach the box. A single-line box with a character procedure changes only
// by the characters offered to it and by the program: it has no context
// menu, takes no paste or drop, and refuses other editing keys with a beep.
// No box takes a character outside Latin-1.

#include <cstdint>

#include "core/rect.h"
#include "core/types.h"
#include "platform/handles.h"

struct EditBox;
struct Font;
struct Window;

inline constexpr uint32_t kObjectKindEditBox = 5;

// Offered each typed character (0-255, Backspace 8 included) of an editable
// box before the box sees it. A result whose low 16 bits are not 0 swallows
// the character; 0 lets the box have it.
using EditCharProc = uint32_t (*)(EditBox* box, uint32_t character, UserData userData);

struct EditBox {
  uint32_t kind;          // kObjectKindEditBox
  EditCharProc charProc;  // may be nullptr
  uint32_t readOnly;      // 1 once the box refuses typing
  Font* font;             // the box's own copy, deleted with it; nullptr for none
  PlatformWindow handle;  // nullptr until EditBoxInit succeeds
  UserData userData;      // passed to charProc
  uint16_t controlId;     // taken from the window's counter
};

// A box with no platform control and no font; nullptr when memory is exhausted.
EditBox* EditBoxNew();
// Creates the control in window at rect (drawing-area coordinates) with text
// (nullptr: empty) in its own copy of font (nullptr: the platform's default).
// vscroll and multiline apply to the multi-line kind; border draws a frame.
// 0, 2001 when the platform refuses, 2 when the font cannot be copied
// (nothing is made then).
ErrorCode EditBoxInit(EditBox* box, Window* window, const Rect* rect, const char* text,
                      const Font* font, uint16_t vscroll, uint16_t readOnly, uint16_t multiline,
                      uint16_t border, EditCharProc charProc, UserData userData);
// Deletes the box's font and control and frees it; nullptr is ignored.
// Screens delete their controls before their window.
void EditBoxDelete(EditBox* box);

// The box refuses typing from now on, until EditBoxSetEditable.
void EditBoxSetReadOnly(EditBox* box);
// The box takes typing again (through its character procedure, if it has one).
void EditBoxSetEditable(EditBox* box);
// Number of characters (a multi-line box counts a line end as CR LF).
int32_t EditBoxGetTextLength(const EditBox* box);
// A new buffer of length + 1 bytes (program allocator, MemFree it) holding
// the text and a NUL; nullptr when it cannot be allocated.
char* EditBoxGetText(const EditBox* box);
// nullptr sets the empty text.
void EditBoxSetText(EditBox* box, const char* text);
void EditBoxClear(EditBox* box);
// Replaces the selection (nothing selected: inserts at the caret) by
// character; the box keeps nothing to undo.
void EditBoxInsertChar(EditBox* box, char character);
// Replaces the selection by nothing; the box keeps nothing to undo.
void EditBoxDeleteSelection(EditBox* box);
// start <= end; both the caret when nothing is selected.
void EditBoxGetSelection(const EditBox* box, int32_t* start, int32_t* end);
// The end of the selection.
int32_t EditBoxGetCaret(const EditBox* box);
int32_t EditBoxGetSelectionLength(const EditBox* box);
// Selects start..end, clamped to the text: (0, 32000) selects all of it.
void EditBoxSetSelection(EditBox* box, int32_t start, int32_t end);
void EditBoxSetFocus(EditBox* box);
