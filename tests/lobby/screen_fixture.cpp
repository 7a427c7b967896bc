#include "tests/lobby/screen_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/memory.h"
#include "lobby/disclaimer_document.h"
#include "lobby/disclaimer_window.h"
#include "lobby/gate.h"
#include "lobby/lobby_window.h"
#include "lobby/login_details.h"
#include "lobby/login_window.h"
#include "lobby/new_user_window.h"
#include "lobby/room.h"
#include "lobby/status_window.h"
#include "lobby/welcome_window.h"
#include "net/connection.h"
#include "net/session.h"
#include "platform/testing.h"
#include "shell/program_quit.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/edit_box.h"
#include "windows/info_box.h"

namespace fs = std::filesystem;

std::vector<std::string>& AlertTexts() {
  static std::vector<std::string> texts;
  return texts;
}

int& ProgramQuitCount() {
  static int count = 0;
  return count;
}

void ScreenTest::SetUp() {
  oldDirectory_ = fs::current_path().string();
  char pattern[] = "/tmp/salvind-screens-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  directory_ = pattern;
  fs::copy(fs::path(SALVIND_STAGE_DIR) / "data", fs::path(directory_) / "data", fs::copy_options::recursive);
  fs::current_path(directory_);

  AlertTexts().clear();
  ProgramQuitCount() = 0;
  PlatformSetMessageBoxHook([](PlatformWindow, const char*, const char* text) { AlertTexts().emplace_back(text); });
  HarnessStart();
  LoginDetailsClear(&g_loginDetails);
  g_newUser = NewUserWindowScreen{};
  g_login = LoginWindowScreen{};
  g_gate = GateScreen{};
  g_disclaimerWindow = DisclaimerWindowScreen{};
  g_session = SessionState{};
  g_lobby = LobbyScreen{};
  g_status = StatusWindowScreen{};
  g_welcome = WelcomeWindowScreen{};
}

void ScreenTest::TearDown() {
  DisclaimerClose();
  CloseLoginWindow();
  InfoBoxDelete(g_session.infoBox);
  g_session.infoBox = nullptr;
  ConnectionDestroy(g_session.connection);
  g_session.connection = nullptr;
  GateDiscardPicture();
  StatusWindowHide();
  if (g_status.window) WindowDelete(g_status.window);
  g_status.window = nullptr;
  WelcomeWindowDelete();
  LobbyDeletePictures();
  LobbyDeleteSysOpButton();
  if (g_gate.window) WindowDelete(g_gate.window);
  g_gate.window = nullptr;
  RoomListDelete();
  GateDeleteTimer();
  HarnessStop();
  PlatformSetMessageBoxHook(nullptr);
  fs::current_path(oldDirectory_);
  std::error_code ignored;
  fs::remove_all(directory_, ignored);
}

std::string ScreenTest::DisclaimerPath() const {
  return (fs::path(directory_) / "data" / "Salvind" / kDisclaimerFileName).string();
}

void ScreenTest::SetDisclaimerAccepted(uint32_t value) {
  ASSERT_EQ(DisclaimerFileSetAccepted(DisclaimerPath().c_str(), value), 0);
}

std::vector<uint8_t> ScreenTest::ReadFileBytes(const std::string& path) const {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool ScreenTest::OpenGate() {
  if (GateOpen() != 0 || !g_gate.window) return false;
  HarnessFlush();
  return true;
}

bool ScreenTest::OpenLogin() {
  if (!OpenGate()) return false;
  HarnessClick(g_gate.window, 10, 10);
  HarnessFlush();
  return g_login.window != nullptr;
}

void ScreenTest::TypeInto(EditBox* box, const char* text) {
  EditBoxSetFocus(box);
  HarnessFlush();
  HarnessTypeText(text);
  HarnessFlush();
}

std::string ScreenTest::TextOf(const EditBox* box) {
  char* text = EditBoxGetText(box);
  std::string s = text ? text : "";
  MemFree(text);
  return s;
}

std::pair<int32_t, int32_t> ScreenTest::SelectionOf(const EditBox* box) {
  int32_t start = -1;
  int32_t end = -1;
  EditBoxGetSelection(box, &start, &end);
  return {start, end};
}

int ScreenTest::Quits() const { return HarnessProgramEvents().Count(EventQuit); }
