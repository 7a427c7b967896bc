// The program's alerts: title, owner, and the pause of socket events.

#include "toolkit/alert.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/modal_pause.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/button.h"
#include "toolkit/edit_box.h"

namespace {

struct Box {
  PlatformWindow owner;
  std::string title;
  std::string text;
};
std::vector<Box> g_boxes;
std::string g_sequence;

void RecordBox(PlatformWindow owner, const char* title, const char* text) {
  g_boxes.push_back({owner, title, text});
  g_sequence += "box ";
}

// Stands in for the socket layer's switch.
void SocketSwitch(int enabled) { g_sequence += enabled ? "on " : "off "; }

struct AlertTest : ::testing::Test {
  void SetUp() override {
    HarnessStart();
    g_boxes.clear();
    g_sequence.clear();
    PlatformSetMessageBoxHook(&RecordBox);
  }
  void TearDown() override {
    PlatformSetMessageBoxHook(nullptr);
    ModalPauseUnregister(&SocketSwitch);
    WindowSetDefaultParent(nullptr);
    HarnessStop();
  }
};

TEST_F(AlertTest, AnAlertIsTitledWithTheProgramAndOwnedByItsWindowOrByNothing) {
  Window* lobby = HarnessOpenWindow(Rect{0, 0, 200, 100}, kWindowKindMain, nullptr, nullptr);
  ASSERT_NE(lobby, nullptr);
  WindowSetDefaultParent(lobby);
  Alert("Failed to launch the game.", lobby);
  Alert("Unable to load game image file a.ogi.", nullptr);
  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_EQ(g_boxes[0].owner, WindowGetHandle(lobby));
  EXPECT_EQ(g_boxes[0].title, "Salvind");
  EXPECT_EQ(g_boxes[0].text, "Failed to launch the game.");
  // No owner means none, not the main window.
  EXPECT_EQ(g_boxes[1].owner, nullptr);
  EXPECT_EQ(g_boxes[1].title, "Salvind");
}

TEST_F(AlertTest, TheSystemFailureAlertIsOwnedByTheMainWindowAndKeepsItsTitle) {
  Window* gate = HarnessOpenWindow(Rect{0, 0, 200, 100}, kWindowKindMain, nullptr, nullptr);
  Window* other = HarnessOpenWindow(Rect{10, 10, 110, 60}, kWindowKindMain, nullptr, nullptr);
  ASSERT_NE(gate, nullptr);
  ASSERT_NE(other, nullptr);
  SystemFailureAlert("before the main window");
  WindowSetDefaultParent(gate);
  SystemFailureAlert("Out of memory.");
  SystemFailureAlert("Can't create idle animation object. System failure.");
  ASSERT_EQ(g_boxes.size(), 3u);
  EXPECT_EQ(g_boxes[0].owner, nullptr);
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(g_boxes[i].owner, WindowGetHandle(gate));
  }
  for (const Box& b : g_boxes) EXPECT_EQ(b.title, "Salvind: System Failure");
  EXPECT_EQ(g_boxes[2].text, "Can't create idle animation object. System failure.");
}

TEST_F(AlertTest, SocketEventsAreOffWhileEitherBoxIsOpen) {
  ModalPauseRegister(&SocketSwitch);
  Alert("one", nullptr);
  SystemFailureAlert("two");
  EXPECT_EQ(g_sequence, "off box on off box on ");
}

// Presses OK on the open box from inside its loop; gives up after a bounded
// number of looks.
void PressOkSoon(int looksLeft = 200) {
  QTimer::singleShot(5, [looksLeft] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      box->button(QMessageBox::Ok)->click();
    } else if (looksLeft > 0) {
      PressOkSoon(looksLeft - 1);
    }
  });
}

TEST_F(AlertTest, ARealBoxPausesSocketsAndLeavesItsOwnerActive) {
  PlatformSetMessageBoxHook(nullptr);
  ModalPauseRegister(&SocketSwitch);
  EventLog ownerLog;
  Window* owner = HarnessOpenWindow(Rect{20, 20, 220, 120}, kWindowKindMain, nullptr, &ownerLog);
  Window* other = HarnessOpenWindow(Rect{300, 20, 400, 120}, kWindowKindMain, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  ASSERT_NE(other, nullptr);
  HarnessFlush();
  ownerLog.Clear();
  PressOkSoon();
  Alert("Failed to launch the game.", owner);
  HarnessFlush();
  EXPECT_EQ(g_sequence, "off on ");
  EXPECT_GE(ownerLog.Count(EventActivate), 1);
  EXPECT_EQ(ownerLog.Count(EventActivate), ownerLog.Count(EventDeactivate) + 1);
}

// A window that owns an open box may be deleted from inside the box's loop
// (the program ending while a check's message is up). The box is the
// owner's child on the platform; deleting the owner must not take the box
// with it, whatever path the input that opened it came by.
struct BoxOwner {
  Window* window = nullptr;
  EditBox* field = nullptr;
  Button* ok = nullptr;
};
BoxOwner g_owner;

void DeleteOwner() {
  ButtonDelete(g_owner.ok);
  EditBoxDelete(g_owner.field);
  WindowDelete(g_owner.window);
  g_owner = BoxOwner{};
}

// Deletes the owner from inside the box's loop, then answers the box.
void DeleteOwnerThenPressOk() {
  QTimer::singleShot(0, [] {
    DeleteOwner();
    PressOkSoon();
  });
}

TEST_F(AlertTest, DeletingTheOwnerOfAnOpenBoxLeavesTheBoxAlone) {
  PlatformSetMessageBoxHook(nullptr);
  enum How { kEnterInField, kClickOnButton, kFromTheTick };
  for (How how : {kEnterInField, kClickOnButton, kFromTheTick}) {
    SCOPED_TRACE(how);
    g_owner.window = HarnessOpenWindow(Rect{20, 20, 220, 120}, kWindowKindDialog, nullptr, nullptr);
    ASSERT_NE(g_owner.window, nullptr);
    g_owner.field = EditBoxNew();
    const Rect fieldRect{10, 10, 110, 30};
    ASSERT_EQ(EditBoxInit(g_owner.field, g_owner.window, &fieldRect, nullptr, nullptr, 0, 0, 0, 1,
                          nullptr, 0),
              0);
    g_owner.ok = ButtonNew();
    const Rect okRect{120, 60, 180, 80};
    ASSERT_EQ(ButtonInit(g_owner.ok, g_owner.window, &okRect, "OK", 1, 1,
                         [](Button*, UserData) -> uint16_t {
                           DeleteOwnerThenPressOk();
                           Alert("You must enter a user name.", g_owner.window);
                           return 1;
                         },
                         0),
              0);
    WindowSetDefaultButton(g_owner.window, g_owner.ok);
    HarnessFlush();
    switch (how) {
      case kEnterInField:
        EditBoxSetFocus(g_owner.field);
        HarnessFlush();
        ASSERT_TRUE(HarnessType(13));
        break;
      case kClickOnButton:
        HarnessClick(g_owner.window, 150, 70);
        break;
      case kFromTheTick:
        EventPost(g_owner.window,
                  [](void*, Event*) -> uint16_t {
                    DeleteOwnerThenPressOk();
                    Alert("Connection to the Orva server has been terminated.", g_owner.window);
                    return 1;
                  },
                  EventIdle, nullptr, nullptr, 0, 0, 0, 0);
        HarnessAdvance(1);
        break;
    }
    HarnessFlush();
    EXPECT_EQ(g_owner.window, nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(WindowsList()->count, 0);
  }
}

}  // namespace
