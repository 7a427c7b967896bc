#include "lobby/new_user_window.h"

#include <cstring>
#include <initializer_list>

#include "core/memory.h"
#include "lobby/account_rules.h"
#include "lobby/login_window.h"
#include "toolkit/alert.h"
#include "toolkit/button.h"
#include "toolkit/draw.h"
#include "toolkit/edit_box.h"
#include "toolkit/font.h"
#include "toolkit/window.h"

NewUserWindowScreen g_newUser = {};

namespace {

constexpr int32_t kSelectAll = 32000;

const Rect& Layout(int index) { return g_login.newUserLayout[index]; }

ErrorCode OutOfMemory() {
  Alert("Out of memory.", nullptr);
  return kErrorOutOfMemory;
}

enum class Lines : uint8_t { kSingle, kMulti };

ErrorCode MakeField(EditBox** field, int rectIndex, Lines lines, EditCharProc filter) {
  *field = EditBoxNew();
  if (!*field) return OutOfMemory();
  const uint16_t multi = lines == Lines::kMulti ? 1 : 0;
  return EditBoxInit(*field, g_newUser.window, &Layout(rectIndex), nullptr, FontStandard(FontSans12), multi, 0,
                     multi, 1, filter, reinterpret_cast<UserData>(*field));
}

ErrorCode MakeButton(Button** button, int rectIndex, const char* title) {
  *button = ButtonNew();
  if (!*button) return OutOfMemory();
  return ButtonInit(*button, g_newUser.window, &Layout(rectIndex), title, 1, 1, &NewUserButtonClick, 0);
}

ErrorCode MakeControls() {
  ErrorCode result = MakeField(&g_newUser.userName, kNewUserRectUserName, Lines::kSingle, nullptr);
  if (result != 0) return result;
  EditBoxSetFocus(g_newUser.userName);
  if ((result = MakeField(&g_newUser.password, kNewUserRectPassword, Lines::kSingle, &PasswordCharFilter)) != 0)
    return result;
  if ((result = MakeField(&g_newUser.reEnter, kNewUserRectReEnter, Lines::kSingle, &PasswordCharFilter)) != 0)
    return result;
  if ((result = MakeField(&g_newUser.fullName, kNewUserRectFullName, Lines::kSingle, nullptr)) != 0) return result;
  if ((result = MakeField(&g_newUser.email, kNewUserRectEmail, Lines::kSingle, nullptr)) != 0) return result;
  if ((result = MakeField(&g_newUser.personalInfo, kNewUserRectPersonalInfo, Lines::kMulti, nullptr)) != 0)
    return result;
  if ((result = MakeButton(&g_newUser.ok, kNewUserRectOk, "OK")) != 0) return result;
  WindowSetDefaultButton(g_newUser.window, g_newUser.ok);
  if ((result = MakeButton(&g_newUser.cancel, kNewUserRectCancel, "Cancel")) != 0) return result;
  WindowSetCancelButton(g_newUser.window, g_newUser.cancel);
  return 0;
}

void ForgetLoginEntries() {
  MemFree(g_newUser.loginNameBefore);
  MemFree(g_newUser.loginStarsBefore);
  g_newUser.loginNameBefore = g_newUser.loginStarsBefore = nullptr;
  std::memset(g_newUser.loginPasswordBefore, 0, kPasswordSize);
}

// Kept when registration mode begins, not on a later "OK" within it: those
// would keep the registration's own entries.
void KeepLoginEntries() {
  ForgetLoginEntries();
  if (!g_login.window) return;
  g_newUser.loginNameBefore = EditBoxGetText(g_login.userName);
  g_newUser.loginStarsBefore = EditBoxGetText(g_login.password);
  LoginFieldCopy(g_newUser.loginPasswordBefore, kPasswordSize, g_loginDetails.password);
}

// Without this a player who meant to log in after a refused registration
// could only send the same registration again, or quit.
void LeaveRegistration() {
  if (!g_loginDetails.newUser) return;
  g_loginDetails.newUser = 0;
  LoginDetailsSetPassword(&g_loginDetails, g_newUser.loginPasswordBefore);
  if (g_login.window) {
    EditBoxSetText(g_login.userName, g_newUser.loginNameBefore);
    EditBoxSetEditable(g_login.userName);
    EditBoxSetText(g_login.password, g_newUser.loginStarsBefore);
    EditBoxSetEditable(g_login.password);
  }
  ForgetLoginEntries();
}

// Hidden, not deleted: "New User" brings it back as it was. The posted close
// only lets the window's procedure see the close, which it ignores.
void HideWindow() {
  WindowEndModal();
  WindowHide(g_newUser.window);
  EventPost(g_newUser.window, &NewUserEventProc, EventClose, nullptr, nullptr, 0, 0, 0, 0);
}

EditBox* FieldOf(NewUserField field) {
  switch (field) {
    case NewUserField::kUserName: return g_newUser.userName;
    case NewUserField::kPassword: return g_newUser.password;
    case NewUserField::kReEnter: return g_newUser.reEnter;
    case NewUserField::kFullName: return g_newUser.fullName;
    case NewUserField::kNone: break;
  }
  return nullptr;
}

void ClearPassword(EditBox* field, char* buffer) {
  EditBoxClear(field);
  std::memset(buffer, 0, kPasswordSize);
}

// The typed texts of one "OK", freed together.
struct TypedTexts {
  char* userName = EditBoxGetText(g_newUser.userName);
  char* fullName = EditBoxGetText(g_newUser.fullName);
  char* email = EditBoxGetText(g_newUser.email);
  char* personalInfo = EditBoxGetText(g_newUser.personalInfo);
  TypedTexts() = default;
  TypedTexts(const TypedTexts&) = delete;
  TypedTexts& operator=(const TypedTexts&) = delete;
  ~TypedTexts() {
    MemFree(userName);
    MemFree(fullName);
    MemFree(email);
    MemFree(personalInfo);
  }
  bool Complete() const { return userName && fullName && email && personalInfo; }
};

// The login window shows what was registered and takes no more typing.
void ShowInLoginWindow() {
  if (!g_login.window) return;
  EditBoxSetText(g_login.userName, g_loginDetails.userName);
  EditBoxSetReadOnly(g_login.userName);
  char stars[kPasswordSize] = {};
  std::memset(stars, '*', std::strlen(g_loginDetails.password));
  EditBoxSetText(g_login.password, stars);
  EditBoxSetReadOnly(g_login.password);
}

void Confirm() {
  const TypedTexts typed;
  if (!typed.Complete()) {
    OutOfMemory();
    return;
  }
  const NewUserEntries entries{typed.userName,
                               static_cast<uint32_t>(EditBoxGetTextLength(g_newUser.password)),
                               static_cast<uint32_t>(EditBoxGetTextLength(g_newUser.reEnter)),
                               typed.fullName,
                               typed.email,
                               typed.personalInfo,
                               g_newUser.newPassword,
                               g_newUser.reEnteredPassword};
  const NewUserCheck check = NewUserCheckEntries(entries);
  if (check.number != 0) {
    if (check.clear == NewUserClear::kPassword || check.clear == NewUserClear::kBothPasswords) {
      ClearPassword(g_newUser.password, g_newUser.newPassword);
    }
    if (check.clear == NewUserClear::kBothPasswords) ClearPassword(g_newUser.reEnter, g_newUser.reEnteredPassword);
    Alert(check.message, g_newUser.window);
    // The field to retype takes the keys as well as the selection, or the
    // next keys would go on into whichever field had them.
    if (EditBox* field = FieldOf(check.select)) {
      EditBoxSetSelection(field, 0, kSelectAll);
      EditBoxSetFocus(field);
    }
    return;
  }
  if (!g_loginDetails.newUser) KeepLoginEntries();
  NewUserStore(&g_loginDetails, entries);
  ShowInLoginWindow();
  HideWindow();
}

void DrawLabels(const Rect& area) {
  static constexpr struct {
    int rect;
    const char* text;
  } kLabels[] = {
      {kNewUserRectUserNameLabel, "Username:"},     {kNewUserRectPasswordLabel, "Password:"},
      {kNewUserRectReEnterLabel, "Re-enter:"},      {kNewUserRectReEnterLabel2, "Password:"},
      {kNewUserRectFullNameLabel, "Full Name:"},    {kNewUserRectEmailLabel, "e-mail:"},
      {kNewUserRectPersonalInfoLabel, "Personal Info:"},
  };
  Window* window = g_newUser.window;
  DrawBegin(window);
  Rect saved;
  DrawGetClipRect(window, &saved);
  DrawSetClipRect(window, &area);
  DrawEraseRect(window, &area);
  DrawSetFont(window, FontStandard(FontSerif12));
  for (const auto& label : kLabels) DrawTextInRect(window, &Layout(label.rect), 0, label.text);
  DrawSetClipRect(window, &saved);
  DrawEnd(window);
}

}  // namespace

ErrorCode OpenNewUserWindow() {
  if (g_newUser.window) {
    WindowBringToTop(g_newUser.window);
    WindowSetModal(g_newUser.window);
    EditBoxSetFocus(g_newUser.userName);
    return 0;
  }
  g_newUser.window = WindowNew();
  if (!g_newUser.window) {
    Alert("Failed to create the new user window. Out of memory.", nullptr);
    return kErrorOutOfMemory;
  }
  ErrorCode result = WindowInit(g_newUser.window, &Layout(kNewUserRectWindow), kWindowKindDialog, g_login.window,
                                "New User Information", 1, 1, &NewUserEventProc, 0);
  if (result != 0) return result;
  if ((result = MakeControls()) != 0) return result;
  WindowSetModal(g_newUser.window);
  return 0;
}

void CloseNewUserWindow() {
  if (!g_newUser.window) return;
  ButtonDelete(g_newUser.ok);
  ButtonDelete(g_newUser.cancel);
  for (EditBox* field : {g_newUser.userName, g_newUser.password, g_newUser.reEnter, g_newUser.fullName,
                         g_newUser.email, g_newUser.personalInfo}) {
    EditBoxDelete(field);
  }
  Window* window = g_newUser.window;
  g_newUser.window = nullptr;
  g_newUser.ok = g_newUser.cancel = nullptr;
  g_newUser.userName = g_newUser.password = g_newUser.reEnter = nullptr;
  g_newUser.fullName = g_newUser.email = g_newUser.personalInfo = nullptr;
  ForgetLoginEntries();
  WindowDelete(window);
}

void SelectNewUserName() {
  if (!g_newUser.userName) return;
  EditBoxSetSelection(g_newUser.userName, 0, kSelectAll);
  EditBoxSetFocus(g_newUser.userName);
}

uint16_t NewUserEventProc(void*, Event* event) {
  switch (event->type) {
    case EventClose:
      return 1;
    case EventPaint:
      if (g_newUser.window) DrawLabels(RectIsEmpty(&event->rect) ? Layout(kNewUserRectWindow) : event->rect);
      return 1;
    case EventButtonDown:
      LoginCornerPress(event->point);
      return 0;
    default:
      return 0;
  }
}

uint16_t NewUserButtonClick(Button* button, UserData) {
  if (!g_newUser.window) return 0;
  if (button == g_newUser.cancel) {
    LeaveRegistration();
    HideWindow();
  } else if (button == g_newUser.ok) {
    Confirm();
  }
  return 1;
}

char* NewUserPasswordBufferOf(const EditBox* box) {
  if (!box) return nullptr;
  if (box == g_newUser.password) return g_newUser.newPassword;
  if (box == g_newUser.reEnter) return g_newUser.reEnteredPassword;
  return nullptr;
}
