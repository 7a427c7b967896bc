// Edit boxes and push buttons on the platform's native controls. Keys are
// typed through the platform, so they pass the key pre-filter exactly as a
// user's keys do, and clicks land on the native button.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/memory.h"
#include "platform/control.h"
#include "platform/testing.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/button.h"
#include "toolkit/edit_box.h"
#include "toolkit/font.h"

namespace {

// What a character procedure saw, and what it answers.
struct CharLog {
  std::vector<uint32_t> offered;
  uint32_t answer = 0;
};

uint32_t RecordChar(EditBox*, uint32_t character, UserData data) {
  auto* log = reinterpret_cast<CharLog*>(data);
  log->offered.push_back(character);
  return log->answer;
}

uint16_t CountClick(Button*, UserData data) {
  ++*reinterpret_cast<int*>(data);
  return 1;
}

std::string TextOf(const EditBox* box) {
  char* text = EditBoxGetText(box);
  std::string s = text ? text : "<none>";
  MemFree(text);
  return s;
}

struct ControlsFixture : ::testing::Test {
  void SetUp() override {
    HarnessStart();
    w = HarnessOpenWindow(Rect{20, 20, 420, 320}, kWindowKindMain, nullptr, &log);
    ASSERT_NE(w, nullptr);
  }
  void TearDown() override {
    for (EditBox* box : boxes) EditBoxDelete(box);
    for (Button* button : buttons) ButtonDelete(button);
    HarnessStop();
  }
  EditBox* Edit(const Rect& r, uint16_t multiline, uint16_t readOnly, CharLog* chars,
                const char* text = nullptr, const Font* font = nullptr, uint16_t vscroll = 0) {
    EditBox* box = EditBoxNew();
    EXPECT_NE(box, nullptr);
    boxes.push_back(box);
    EXPECT_EQ(EditBoxInit(box, w, &r, text, font, vscroll, readOnly, multiline, 1,
                          chars ? &RecordChar : nullptr, reinterpret_cast<UserData>(chars)),
              0);
    return box;
  }
  Button* Push(const Rect& r, const char* title, int* clicks, uint16_t visible = 1,
               uint16_t enabled = 1) {
    Button* button = ButtonNew();
    EXPECT_NE(button, nullptr);
    buttons.push_back(button);
    EXPECT_EQ(ButtonInit(button, w, &r, title, visible, enabled, &CountClick,
                         reinterpret_cast<UserData>(clicks)),
              0);
    return button;
  }
  EventLog log;
  Window* w = nullptr;
  std::vector<EditBox*> boxes;
  std::vector<Button*> buttons;
};

TEST_F(ControlsFixture, TabEnterAndEscapeNeverReachTheBoxEvenWithSeveralLines) {
  for (const uint16_t multiline : {0, 1}) {
    SCOPED_TRACE(multiline ? "multi-line" : "single line");
    CharLog chars;
    EditBox* box = Edit(Rect{10, 10, 200, 80}, multiline, 0, &chars);
    EditBoxSetFocus(box);
    HarnessFlush();
    log.Clear();
    HarnessType('a');
    HarnessType(9);
    HarnessType(13);
    HarnessType(27);
    // Tab came back to the box and selected its text; go on at its end.
    EditBoxSetSelection(box, 32000, 32000);
    HarnessType('b');
    EXPECT_EQ(TextOf(box), "ab") << "no tab, no line break, no escape in the text";
    EXPECT_EQ(chars.offered, (std::vector<uint32_t>{'a', 'b'}));
    // Without default and cancel buttons the window gets them as characters.
    ASSERT_EQ(log.Count(EventChar), 2);
    EXPECT_EQ(log.events.back().key, 27u);
    EXPECT_EQ(PlatformWindowFocus(), box->handle) << "Tab came back to the only control";
    EditBoxDelete(box);
    boxes.clear();
  }
}

TEST_F(ControlsFixture, ReadOnlyBoxNeverCallsItsCharacterProcedure) {
  CharLog madeReadOnly;
  CharLog later;
  EditBox* box = Edit(Rect{10, 10, 200, 30}, 0, 1, &madeReadOnly, "fixed");
  EditBoxSetFocus(box);
  HarnessTypeText("xy");
  HarnessType(8);
  EXPECT_TRUE(madeReadOnly.offered.empty());
  EXPECT_EQ(TextOf(box), "fixed");

  EditBox* other = Edit(Rect{10, 40, 200, 60}, 1, 0, &later);
  EditBoxSetFocus(other);
  HarnessType('q');
  EditBoxSetReadOnly(other);
  HarnessType('r');
  EXPECT_EQ(later.offered, (std::vector<uint32_t>{'q'}));
  EXPECT_EQ(TextOf(other), "q");

  // A read-only box still passes Enter to its window.
  log.Clear();
  HarnessType(13);
  EXPECT_EQ(log.Count(EventChar), 1);
  EXPECT_EQ(TextOf(other), "q");
}

// A password-style procedure: shows a star for every character and keeps
// the characters itself; Backspace empties everything.
struct Hidden {
  std::string plain;
  std::vector<uint32_t> offered;
};

uint32_t Mask(EditBox* box, uint32_t character, UserData data) {
  auto* hidden = reinterpret_cast<Hidden*>(data);
  hidden->offered.push_back(character);
  if (character == 8) {
    EditBoxClear(box);
    hidden->plain.clear();
  } else {
    EditBoxInsertChar(box, '*');
    hidden->plain.push_back(static_cast<char>(character));
  }
  return 1;
}

TEST_F(ControlsFixture, BackspaceIsOfferedAndTheProcedureCanTakeOverTyping) {
  Hidden hidden;
  EditBox* box = EditBoxNew();
  boxes.push_back(box);
  const Rect r{10, 10, 200, 30};
  ASSERT_EQ(EditBoxInit(box, w, &r, nullptr, nullptr, 0, 0, 0, 1, &Mask,
                        reinterpret_cast<UserData>(&hidden)),
            0);
  EditBoxSetFocus(box);
  HarnessTypeText("pw");
  HarnessType(0xE9);
  EXPECT_EQ(TextOf(box), "***");
  EXPECT_EQ(hidden.plain, "pw\xE9");
  HarnessType(8);
  EXPECT_EQ(hidden.offered.back(), 8u);
  EXPECT_EQ(TextOf(box), "");
  EXPECT_EQ(hidden.plain, "");
}

TEST_F(ControlsFixture, OnlyTheLow16BitsOfTheProcedureResultSwallow) {
  CharLog chars;
  EditBox* box = Edit(Rect{10, 10, 200, 30}, 0, 0, &chars);
  EditBoxSetFocus(box);
  chars.answer = 0x10000;
  HarnessType('a');
  chars.answer = 0x1;
  HarnessType('b');
  chars.answer = 0;
  HarnessType(8);  // offered, then erases the 'a'
  EXPECT_EQ(chars.offered, (std::vector<uint32_t>{'a', 'b', 8}));
  EXPECT_EQ(TextOf(box), "");
}

TEST_F(ControlsFixture, EmptyTextIsALoneNul) {
  EditBox* box = Edit(Rect{10, 10, 200, 30}, 0, 0, nullptr);
  EXPECT_EQ(EditBoxGetTextLength(box), 0);
  char* text = EditBoxGetText(box);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text[0], '\0');
  MemFree(text);
  EditBoxSetText(box, "abc");
  EditBoxClear(box);
  EXPECT_EQ(TextOf(box), "");
}

TEST_F(ControlsFixture, SelectionIsReplacedAndDeletedWithoutUndo) {
  EditBox* box = Edit(Rect{10, 10, 200, 30}, 0, 0, nullptr, "hello world");
  EditBoxSetSelection(box, 0, 32000);
  int32_t start = -1;
  int32_t end = -1;
  EditBoxGetSelection(box, &start, &end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 11);
  EXPECT_EQ(EditBoxGetSelectionLength(box), 11);

  EditBoxSetSelection(box, 6, 11);
  EditBoxInsertChar(box, 'W');
  EXPECT_EQ(TextOf(box), "hello W");
  EXPECT_EQ(EditBoxGetCaret(box), 7);
  EXPECT_EQ(EditBoxGetSelectionLength(box), 0);

  EditBoxSetSelection(box, 0, 5);
  EditBoxDeleteSelection(box);
  EXPECT_EQ(TextOf(box), " W");
  EditBoxGetSelection(box, &start, &end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 0);

  // Nothing selected: the character goes in at the caret.
  EditBoxSetSelection(box, 2, 2);
  EditBoxInsertChar(box, '!');
  EXPECT_EQ(TextOf(box), " W!");

  // Ctrl+Z is a character for the box's own handling: nothing to undo.
  EditBoxSetFocus(box);
  HarnessType(26, kPlatformModControl);
  EXPECT_EQ(TextOf(box), " W!");
}

TEST_F(ControlsFixture, MultiLineTextKeepsCrLfLineEndsInTextAndPositions) {
  EditBox* box = Edit(Rect{10, 10, 200, 80}, 1, 0, nullptr, "ab\r\ncd");
  EXPECT_EQ(EditBoxGetTextLength(box), 6);
  EXPECT_EQ(TextOf(box), "ab\r\ncd");
  EditBoxSetSelection(box, 4, 32000);
  int32_t start = -1;
  int32_t end = -1;
  EditBoxGetSelection(box, &start, &end);
  EXPECT_EQ(start, 4);
  EXPECT_EQ(end, 6);
  EditBoxDeleteSelection(box);
  EXPECT_EQ(TextOf(box), "ab\r\n");
  EditBoxInsertChar(box, 'x');
  EXPECT_EQ(TextOf(box), "ab\r\nx");
  EXPECT_EQ(EditBoxGetCaret(box), 5);
}

TEST_F(ControlsFixture, ButtonPressRunsTheClickProcedureWhateverTheButtonShows) {
  struct Case {
    uint16_t visible;
    uint16_t enabled;
  };
  for (const Case c : {Case{1, 1}, Case{1, 0}, Case{0, 1}, Case{0, 0}}) {
    SCOPED_TRACE(testing::Message() << "visible " << c.visible << " enabled " << c.enabled);
    int clicks = 0;
    Button* button = Push(Rect{10, 10, 70, 30}, "Go", &clicks, c.visible, c.enabled);
    EXPECT_EQ(PlatformWindowIsShown(button->handle), c.visible != 0);
    ButtonPress(button);
    EXPECT_EQ(clicks, 1);
  }
}

TEST_F(ControlsFixture, ControlsTakeIdentifiersFromTheirWindowStartingAtZero) {
  EditBox* box = Edit(Rect{10, 10, 200, 30}, 0, 0, nullptr);
  int clicks = 0;
  Button* button = Push(Rect{10, 40, 70, 60}, "OK", &clicks);
  EXPECT_EQ(box->controlId, 0);
  EXPECT_EQ(button->controlId, 1);
  EXPECT_EQ(w->nextControlId, 2);
  EXPECT_EQ(box->kind, kObjectKindEditBox);
  EXPECT_EQ(button->kind, kObjectKindButton);
}

TEST_F(ControlsFixture, TabAndShiftTabMoveTheFocusBothWaysAmongVisibleControlsInCreationOrder) {
  int clicks = 0;
  EditBox* first = Edit(Rect{10, 10, 200, 30}, 0, 0, nullptr);
  Push(Rect{10, 40, 70, 60}, "Hidden", &clicks, 0);
  EditBox* second = Edit(Rect{10, 70, 200, 130}, 1, 0, nullptr);
  Button* last = Push(Rect{10, 140, 70, 160}, "Last", &clicks);
  EditBoxSetFocus(second);
  HarnessSetFocus(w);
  EXPECT_EQ(PlatformWindowFocus(), first->handle) << "the window passes its focus to the first control";
  HarnessType(9);
  EXPECT_EQ(PlatformWindowFocus(), second->handle) << "the hidden button is skipped";
  HarnessType(9);
  EXPECT_EQ(PlatformWindowFocus(), last->handle);
  HarnessType(9);
  EXPECT_EQ(PlatformWindowFocus(), first->handle) << "after the last comes the first";
  HarnessType(9, kPlatformModShift);
  EXPECT_EQ(PlatformWindowFocus(), last->handle) << "Shift+Tab: before the first comes the last";
  HarnessType(9, kPlatformModShift);
  EXPECT_EQ(PlatformWindowFocus(), second->handle) << "Shift+Tab goes back";
  HarnessType(9, kPlatformModShift);
  EXPECT_EQ(PlatformWindowFocus(), first->handle) << "the hidden button is skipped going back";
  EXPECT_EQ(TextOf(second), "");
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(log.Count(EventChar), 0);
}

// Tab and Shift+Tab into an edit box select its whole text, as the system's
// dialogs do, so what is typed next replaces it: a retyped password is not
// added to the hidden one. With one box and one button both keys lead from
// the button to the box.
TEST_F(ControlsFixture, TabAndShiftTabIntoAnEditBoxSelectItsWholeText) {
  struct Case {
    const char* what;
    uint16_t multiline;
    uint16_t readOnly;
    bool hidden;
    const char* text;
    const char* afterTyping;  // the box's text once 'x' was typed
  };
  const Case cases[] = {
      {"single line", 0, 0, false, "bob", "x"},
      {"several lines", 1, 0, false, "one\r\ntwo", "x"},
      {"read-only", 1, 1, false, "fixed", "fixed"},
      {"password", 0, 0, true, "****", "*"},
  };
  for (const Case& c : cases) {
    for (const uint32_t modifiers : {0u, static_cast<uint32_t>(kPlatformModShift)}) {
      SCOPED_TRACE(std::string(c.what) + (modifiers ? ", Shift+Tab" : ", Tab"));
      Hidden hidden;
      EditBox* box = EditBoxNew();
      ASSERT_NE(box, nullptr);
      boxes.push_back(box);
      const Rect r{10, 10, 200, 60};
      ASSERT_EQ(EditBoxInit(box, w, &r, c.text, nullptr, 0, c.readOnly, c.multiline, 1, c.hidden ? &Mask : nullptr,
                            reinterpret_cast<UserData>(&hidden)),
                0);
      int clicks = 0;
      Button* button = Push(Rect{10, 70, 70, 90}, "OK", &clicks);
      EditBoxSetSelection(box, 1, 1);
      PlatformWindowSetFocus(button->handle);
      HarnessFlush();

      HarnessType(9, modifiers);
      ASSERT_EQ(PlatformWindowFocus(), box->handle);
      int32_t start = -1;
      int32_t end = -1;
      EditBoxGetSelection(box, &start, &end);
      if (c.readOnly) {
        // A text to read keeps its selection (here the caret at 1).
        EXPECT_EQ(start, 1);
        EXPECT_EQ(end, 1);
      } else {
        EXPECT_EQ(start, 0);
        EXPECT_EQ(end, static_cast<int32_t>(std::string(c.text).size()));
      }
      HarnessType('x');
      EXPECT_EQ(TextOf(box), c.afterTyping);
      if (c.hidden) {
        EXPECT_EQ(hidden.plain, "x");
      }
      EXPECT_EQ(clicks, 0);

      EditBoxDelete(box);
      ButtonDelete(button);
      boxes.clear();
      buttons.clear();
    }
  }
}

TEST_F(ControlsFixture, EnterAndEscapeInABoxPressTheDefaultAndCancelButtons) {
  int okClicks = 0;
  int cancelClicks = 0;
  EditBox* box = Edit(Rect{10, 10, 200, 80}, 1, 0, nullptr);
  Button* ok = Push(Rect{10, 90, 70, 110}, "OK", &okClicks);
  Button* cancel = Push(Rect{80, 90, 140, 110}, "Cancel", &cancelClicks, 1, 0);
  WindowSetDefaultButton(w, ok);
  WindowSetCancelButton(w, cancel);
  EditBoxSetFocus(box);
  HarnessType(13);
  EXPECT_EQ(okClicks, 1);
  HarnessType(27);
  EXPECT_EQ(cancelClicks, 1) << "a disabled cancel button is pressed all the same";
  EXPECT_EQ(TextOf(box), "");
  // Typed on a focused button, Enter goes to the window too.
  PlatformWindowSetFocus(ok->handle);
  HarnessType(13);
  EXPECT_EQ(okClicks, 2);
  EXPECT_EQ(log.Count(EventChar), 0);
}

TEST_F(ControlsFixture, AClickOnTheNativeButtonReachesItsClickProcedure) {
  int clicks = 0;
  int disabledClicks = 0;
  Push(Rect{10, 10, 90, 40}, "Click", &clicks);
  Push(Rect{100, 10, 180, 40}, "Off", &disabledClicks, 1, 0);
  HarnessClick(w, 50, 25);
  HarnessClick(w, 140, 25);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(disabledClicks, 0);
  EXPECT_EQ(log.Count(EventButtonDown), 0) << "the click belonged to the button";
}

// Input at a window held back by a modal one is dropped, its buttons' clicks
// too. The desktop raises what the user clicks, a held-back window too; the
// modal window comes back in front of it, whatever was pressed or typed at.
TEST_F(ControlsFixture, InputAtAHeldBackWindowIsDroppedAndBringsTheModalOneForward) {
  int clicks = 0;
  Push(Rect{10, 10, 90, 40}, "Behind", &clicks);
  EventLog dialogLog;
  Window* dialog = HarnessOpenWindow(Rect{300, 300, 400, 400}, kWindowKindDialog, w, &dialogLog);
  WindowSetModal(dialog);
  enum What { kClickOnTheWindow, kClickOnItsButton, kTyping };
  for (const What what : {kClickOnTheWindow, kClickOnItsButton, kTyping}) {
    SCOPED_TRACE(what);
    PlatformWindowRaise(w->handle);
    HarnessSetFocus(w);
    HarnessFlush();
    dialogLog.Clear();
    switch (what) {
      case kClickOnTheWindow:
        HarnessClick(w, 150, 100);
        break;
      case kClickOnItsButton:
        HarnessClick(w, 50, 25);
        break;
      case kTyping:
        HarnessType('x');
        break;
    }
    HarnessFlush();
    EXPECT_EQ(dialogLog.Count(EventActivate), 1);
  }
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(log.Count(EventButtonDown) + log.Count(EventChar), 0);
  WindowEndModal();
  HarnessClick(w, 50, 25);
  EXPECT_EQ(clicks, 1);
}

uint16_t DeleteEverything(Button* button, UserData data) {
  auto* fixture = reinterpret_cast<ControlsFixture*>(data);
  ButtonDelete(button);
  fixture->buttons.clear();
  WindowDelete(fixture->w);
  fixture->w = nullptr;
  return 1;
}

TEST_F(ControlsFixture, AClickProcedureMayDeleteItsButtonAndWindow) {
  Button* button = ButtonNew();
  buttons.push_back(button);
  const Rect r{10, 10, 90, 40};
  ASSERT_EQ(ButtonInit(button, w, &r, "Bye", 1, 1, &DeleteEverything,
                       reinterpret_cast<UserData>(this)),
            0);
  HarnessClick(w, 50, 25);
  HarnessFlush();
  EXPECT_EQ(w, nullptr);
  EXPECT_TRUE(buttons.empty());
}

std::vector<std::string> g_boxes;
void RecordBox(PlatformWindow, const char* title, const char* text) {
  g_boxes.push_back(std::string(title) + "|" + text);
}

TEST_F(ControlsFixture, ACommandFromAControlOfAnotherKindShowsTheErrorBox) {
  uint32_t picture[2] = {8, 0};  // an object of the image kind
  PlatformWindow stray = PlatformButtonCreate(w->handle, PlatformRect{10, 10, 90, 40}, "?", true,
                                              true, 9, reinterpret_cast<uintptr_t>(picture));
  ASSERT_NE(stray, nullptr);
  g_boxes.clear();
  PlatformSetMessageBoxHook(&RecordBox);
  HarnessClick(w, 50, 25);
  PlatformSetMessageBoxHook(nullptr);
  EXPECT_EQ(g_boxes, (std::vector<std::string>{"ERROR 2|ERRROR"}));
  PlatformWindowDestroy(stray);
}

TEST_F(ControlsFixture, TheBoxKeepsItsOwnFontAfterTheCallerDeletesIt) {
  Font* font = FontNew();
  ASSERT_NE(font, nullptr);
  FontInit(font, kFontFaceSans, kFontStyleBold, 20);
  EditBox* box = Edit(Rect{10, 10, 200, 40}, 0, 0, nullptr, "Font", font);
  FontDelete(font);
  ASSERT_NE(box->font, nullptr);
  EXPECT_EQ(box->font->kind, kObjectKindFont);
  EXPECT_EQ(box->font->face, kFontFaceSans);
  EXPECT_EQ(box->font->style, kFontStyleBold);
  EXPECT_EQ(box->font->size, 20);
  EXPECT_NE(FontHandle(box->font), nullptr);
  // Drawing the box after the caller's font is gone.
  int32_t width = 0;
  int32_t height = 0;
  EXPECT_FALSE(HarnessGrab(w, &width, &height).empty());
}

// Counts pixels of a grab inside a drawing-area rectangle that are not white.
int NonWhite(const std::vector<uint32_t>& pixels, int32_t width, const Rect& r) {
  int n = 0;
  for (int32_t y = r.top; y < r.bottom; ++y) {
    for (int32_t x = r.left; x < r.right; ++x) {
      if ((pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF) != 0xFFFFFF) ++n;
    }
  }
  return n;
}

TEST_F(ControlsFixture, AWindowOfControlsShowsThemAll) {
  EditBox* name = Edit(Rect{20, 20, 260, 44}, 0, 0, nullptr, "Player One", FontStandard(FontSerif12));
  std::string story;
  for (int i = 1; i <= 30; ++i) story += "Line " + std::to_string(i) + " of the rules of the town.\r\n";
  Edit(Rect{20, 56, 380, 230}, 1, 1, nullptr, story.c_str(), FontStandard(FontSans9), 1);
  int clicks = 0;
  Button* ok = Push(Rect{220, 250, 290, 274}, "OK", &clicks);
  Push(Rect{300, 250, 370, 274}, "Cancel", &clicks);
  WindowSetDefaultButton(w, ok);
  EditBoxSetFocus(name);
  HarnessFlush();
  EXPECT_TRUE(HarnessSavePng(w, "toolkit_controls.png"));
  int32_t width = 0;
  int32_t height = 0;
  const std::vector<uint32_t> shown = HarnessGrab(w, &width, &height);
  ASSERT_EQ(width, 400);
  ASSERT_EQ(height, 300);
  EXPECT_GT(NonWhite(shown, width, Rect{20, 20, 260, 44}), 20) << "the box's frame and text";
  EXPECT_GT(NonWhite(shown, width, Rect{360, 56, 380, 230}), 200) << "the scroll bar";
  EXPECT_GT(NonWhite(shown, width, Rect{220, 250, 290, 274}), 200) << "the button";
  EXPECT_EQ(NonWhite(shown, width, Rect{20, 240, 200, 290}), 0) << "the window's own white";
}

}  // namespace
