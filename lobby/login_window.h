#pragma once
// The login window: user name, password and the buttons "Connect",
// "New User" and "Quit", over the gate. Also the password filter that all
// three password fields share and the count of presses in the corner square
// that reveals the lobby's "SysOp" button.

#include <cstdint>

#include "core/rect.h"
#include "core/types.h"
#include "toolkit/event.h"

struct Button;
struct EditBox;
struct Image;
struct Window;

inline constexpr char kLoginResourceFileName[] = "salvind.ors";
inline constexpr uint32_t kLoginPictureItem = 1;
inline constexpr uint32_t kLoginLayoutItem = 2;
inline constexpr uint32_t kNewUserLayoutItem = 3;
inline constexpr int kLoginLayoutCount = 6;
inline constexpr int kNewUserLayoutCount = 21;
// The login window's caption when the connection will be made over TLS;
// "Login" when it will be plain.
inline constexpr char kLoginTitleProtected[] = "Login (protected connection)";

// The corner square: the top-left 8 x 8 pixels of the login and new-user
// windows. The login picture keeps its plain frame there, so nothing on it
// invites a press.
inline constexpr int16_t kCornerSquareSize = 8;
// The lobby shows its "SysOp" button only when the corner was pressed
// exactly this often between the making of the login window and the grant.
inline constexpr uint16_t kCornerRevealCount = 5;

// Indices into the login layout.
enum : int {
  kLoginRectWindow = 0,
  kLoginRectUserName = 1,
  kLoginRectPassword = 2,
  kLoginRectConnect = 3,
  kLoginRectNewUser = 4,
  kLoginRectQuit = 5,
};

struct LoginWindowScreen {
  Window* window;  // nullptr when absent
  Image* picture;
  Rect layout[kLoginLayoutCount];
  Rect newUserLayout[kNewUserLayoutCount];  // loaded here, used by the new-user window
  EditBox* userName;
  EditBox* password;  // one "*" per character; the characters are in g_loginDetails
  Button* connect;
  Button* newUser;
  Button* quit;
  uint16_t cornerClicks;
};
extern LoginWindowScreen g_login;

// Makes the login window (and the disclaimer over it when the document is
// not accepted), or shows the existing one again and makes it modal. 0;
// 14 when the picture cannot be loaded; 2 without memory; a platform's
// refusal as its code.
ErrorCode OpenLoginWindow();
// Closes the new-user window, then deletes the controls, the picture and
// the window. Does nothing when there is no login window.
void CloseLoginWindow();
// Selects the whole text of the field, so a refused entry is retyped at once.
void SelectLoginUserName();
void SelectLoginPassword();

uint16_t LoginEventProc(void* source, Event* event);
uint16_t LoginButtonClick(Button* button, UserData userData);

// The character procedure of the three password fields: keeps the plain
// text in the field's buffer and shows a "*" per character. Always 1.
uint32_t PasswordCharFilter(EditBox* box, uint32_t character, UserData userData);

// Counts a press at point (drawing-area coordinates) when it lies in the
// corner square.
void LoginCornerPress(Point point);
