#include "lobby/login_window.h"

#include <cstring>

#include "core/memory.h"
#include "lobby/account_rules.h"
#include "lobby/disclaimer_document.h"
#include "lobby/disclaimer_window.h"
#include "lobby/gate.h"
#include "lobby/login_details.h"
#include "lobby/new_user_window.h"
#include "media/image.h"
#include "media/image_draw.h"
#include "media/resource_file.h"
#include "net/net_transport.h"
#include "net/session.h"
#include "shell/data_path.h"
#include "shell/os_services.h"
#include "toolkit/alert.h"
#include "toolkit/button.h"
#include "toolkit/draw.h"
#include "toolkit/edit_box.h"
#include "toolkit/font.h"
#include "toolkit/window.h"

LoginWindowScreen g_login = {};

namespace {

constexpr int32_t kSelectAll = 32000;

void PostQuit() { EventPost(nullptr, nullptr, EventQuit, nullptr, nullptr, 0, 0, 0, 0); }

ErrorCode OutOfMemory() {
  Alert("Out of memory.", nullptr);
  return kErrorOutOfMemory;
}

// The picture and both layouts from salvind.ors. Rectangles the file does not
// supply keep what they held.
void LoadLoginResources() {
  ImageDelete(g_login.picture);
  g_login.picture = nullptr;
  ResourceFile* resources = ResourceFileNew();
  if (!resources) return;
  if (ResourceFileOpen(resources, ProgramDataPath(kLoginResourceFileName)) == 0) {
    g_login.picture = ResourceFileGetImage(resources, kLoginPictureItem);
    ResourceFileGetRects(resources, kLoginLayoutItem, kLoginLayoutCount, g_login.layout);
    ResourceFileGetRects(resources, kNewUserLayoutItem, kNewUserLayoutCount, g_login.newUserLayout);
  }
  ResourceFileDelete(resources);
}

ErrorCode MakeField(EditBox** field, const Rect& rect, EditCharProc filter) {
  *field = EditBoxNew();
  if (!*field) return OutOfMemory();
  return EditBoxInit(*field, g_login.window, &rect, nullptr, FontStandard(FontSerif12), 0, 0, 0, 1, filter,
                     reinterpret_cast<UserData>(*field));
}

ErrorCode MakeButton(Button** button, const Rect& rect, const char* title) {
  *button = ButtonNew();
  if (!*button) return OutOfMemory();
  return ButtonInit(*button, g_login.window, &rect, title, 1, 1, &LoginButtonClick, 0);
}

// The controls, in the order Tab visits them.
ErrorCode MakeControls() {
  ErrorCode result = MakeField(&g_login.userName, g_login.layout[kLoginRectUserName], nullptr);
  if (result != 0) return result;
  EditBoxSetFocus(g_login.userName);
  result = MakeField(&g_login.password, g_login.layout[kLoginRectPassword], &PasswordCharFilter);
  if (result != 0) return result;
  result = MakeButton(&g_login.connect, g_login.layout[kLoginRectConnect], "Connect");
  if (result != 0) return result;
  WindowSetDefaultButton(g_login.window, g_login.connect);
  result = MakeButton(&g_login.newUser, g_login.layout[kLoginRectNewUser], "New User");
  if (result != 0) return result;
  result = MakeButton(&g_login.quit, g_login.layout[kLoginRectQuit], "Quit");
  if (result != 0) return result;
  WindowSetCancelButton(g_login.window, g_login.quit);
  return 0;
}

void Connect() {
  if (EditBoxGetTextLength(g_login.userName) < 1) {
    SelectLoginUserName();
    Beep();
    return;
  }
  char* name = EditBoxGetText(g_login.userName);
  if (!name) {
    OutOfMemory();
    return;
  }
  LoginDetailsSetUserName(&g_loginDetails, name);
  MemFree(name);
  WindowEndModal();
  WindowHide(g_login.window);
  // The gate shows whole again before the session's box appears over it.
  if (g_gate.window) EventSend(g_gate.window, &GateEventProc, EventPaint, nullptr, nullptr, 0, 0, 0, 0);
  if (SessionConnect() != 0) PostQuit();
}

// The plain-text buffer behind a password field; nullptr for any other box.
char* PasswordBufferOf(const EditBox* box) {
  if (box && box == g_login.password) return g_loginDetails.password;
  return NewUserPasswordBufferOf(box);
}

}  // namespace

ErrorCode OpenLoginWindow() {
  GateCancelTimer();
  if (g_login.window) {
    WindowBringToTop(g_login.window);
    WindowSetModal(g_login.window);
    return 0;
  }

  LoadLoginResources();
  if (!g_login.picture) {
    Alert("Failed to load the login image file.", nullptr);
    return kErrorFileNotFound;
  }
  g_login.window = WindowNew();
  if (!g_login.window) {
    ImageDelete(g_login.picture);
    g_login.picture = nullptr;
    Alert("Failed to create the login window. Out of memory.", nullptr);
    return kErrorOutOfMemory;
  }
  // The caption tells the player that what they type here travels protected:
  // a connection over TLS is never made in plain instead.
  const char* title = NetTransportGet().tls ? kLoginTitleProtected : "Login";
  ErrorCode result = WindowInit(g_login.window, &g_login.layout[kLoginRectWindow], kWindowKindDialog,
                                g_gate.window, title, 1, 1, &LoginEventProc, 0);
  if (result != 0) return result;
  result = MakeControls();
  if (result != 0) return result;
  WindowSetModal(g_login.window);

  g_loginDetails.newUser = 0;
  // The password field starts empty, so its plain text does too.
  LoginDetailsSetPassword(&g_loginDetails, nullptr);
  g_login.cornerClicks = 0;

  DisclaimerReadState();
  if (g_disclaimer.accepted == 0) DisclaimerShow();
  return 0;
}

void CloseLoginWindow() {
  if (!g_login.window) return;
  CloseNewUserWindow();
  ButtonDelete(g_login.connect);
  ButtonDelete(g_login.quit);
  ButtonDelete(g_login.newUser);
  EditBoxDelete(g_login.userName);
  EditBoxDelete(g_login.password);
  ImageDelete(g_login.picture);
  Window* window = g_login.window;
  g_login.window = nullptr;
  g_login.connect = g_login.quit = g_login.newUser = nullptr;
  g_login.userName = g_login.password = nullptr;
  g_login.picture = nullptr;
  WindowDelete(window);
}

// The selected field takes the keys too, so what is typed next replaces it.
void SelectLoginUserName() {
  if (!g_login.userName) return;
  EditBoxSetSelection(g_login.userName, 0, kSelectAll);
  EditBoxSetFocus(g_login.userName);
}

void SelectLoginPassword() {
  if (!g_login.password) return;
  EditBoxSetSelection(g_login.password, 0, kSelectAll);
  EditBoxSetFocus(g_login.password);
}

uint16_t LoginEventProc(void*, Event* event) {
  switch (event->type) {
    case EventClose:
      CloseLoginWindow();
      return 1;
    case EventPaint: {
      if (!g_login.window) return 1;
      const Rect area = RectIsEmpty(&event->rect) ? g_login.layout[kLoginRectWindow] : event->rect;
      DrawBegin(g_login.window);
      Rect saved;
      DrawGetClipRect(g_login.window, &saved);
      DrawSetClipRect(g_login.window, &area);
      ImageDraw(g_login.picture, g_login.window, &g_login.layout[kLoginRectWindow], nullptr, kDrawModeCopy);
      DrawSetClipRect(g_login.window, &saved);
      DrawEnd(g_login.window);
      return 1;
    }
    case EventButtonDown:
      LoginCornerPress(event->point);
      return 0;
    default:
      return 0;
  }
}

uint16_t LoginButtonClick(Button* button, UserData) {
  if (!g_login.window) return 0;
  if (button == g_login.quit) {
    WindowEndModal();
    WindowHide(g_login.window);
    EventPost(g_login.window, &LoginEventProc, EventClose, nullptr, nullptr, 0, 0, 0, 0);
    PostQuit();
  } else if (button == g_login.newUser) {
    OpenNewUserWindow();
  } else if (button == g_login.connect) {
    Connect();
  }
  return 1;
}

uint32_t PasswordCharFilter(EditBox* box, uint32_t character, UserData) {
  char* buffer = PasswordBufferOf(box);
  if (!buffer) return 1;
  int32_t start = 0;
  int32_t end = 0;
  EditBoxGetSelection(box, &start, &end);
  const int32_t length = EditBoxGetTextLength(box);
  const PasswordFieldState field{static_cast<uint32_t>(length < 0 ? 0 : length),
                                 static_cast<uint32_t>(start < 0 ? 0 : start),
                                 static_cast<uint32_t>(end < 0 ? 0 : end)};
  switch (PasswordBufferApply(buffer, field, static_cast<uint8_t>(character))) {
    case PasswordFieldEdit::kClear:
      EditBoxClear(box);
      break;
    case PasswordFieldEdit::kReplaceSelection:
    case PasswordFieldEdit::kInsertAtCaret:
      EditBoxInsertChar(box, '*');
      break;
    case PasswordFieldEdit::kReject:
      Beep();
      break;
  }
  return 1;
}

void LoginCornerPress(Point point) {
  const Rect corner{0, 0, kCornerSquareSize, kCornerSquareSize};
  if (RectContainsPoint(&point, &corner)) ++g_login.cornerClicks;
}
