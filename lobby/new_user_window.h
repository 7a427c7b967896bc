#pragma once
// The window "New User Information": user name, password twice, full name,
// e-mail and personal information. "OK" checks them and hands them to the
// login window, which goes into registration mode; "Cancel" hides the window
// with every entry kept and takes the login window out of registration mode,
// with what it held before.

#include <cstdint>

#include "core/types.h"
#include "lobby/login_details.h"
#include "toolkit/event.h"

struct Button;
struct EditBox;
struct Window;

// Indices into the new-user layout (item 3 of salvind.ors).
enum : int {
  kNewUserRectWindow = 0,
  kNewUserRectOk = 1,
  kNewUserRectCancel = 2,
  kNewUserRectUserNameLabel = 3,
  kNewUserRectPasswordLabel = 4,
  kNewUserRectReEnterLabel = 5,
  kNewUserRectFullNameLabel = 6,
  kNewUserRectEmailLabel = 7,
  kNewUserRectPersonalInfoLabel = 8,
  kNewUserRectReEnterLabel2 = 9,  // the second line of the re-enter label
  kNewUserRectUserName = 10,
  kNewUserRectPassword = 11,
  kNewUserRectReEnter = 12,
  kNewUserRectFullName = 13,
  kNewUserRectEmail = 14,
  kNewUserRectPersonalInfo = 15,
};

struct NewUserWindowScreen {
  Window* window;  // nullptr when absent
  EditBox* userName;
  EditBox* password;
  EditBox* reEnter;
  EditBox* fullName;
  EditBox* email;
  EditBox* personalInfo;
  Button* ok;
  Button* cancel;
  // The plain texts of the two password fields, kept by PasswordCharFilter.
  // They outlive the window's hiding and are emptied only by the checks and
  // by Backspace.
  char newPassword[kPasswordSize];
  char reEnteredPassword[kPasswordSize];
  // What the login window held before "OK" put it into registration mode:
  // its user name and password fields' texts (nullptr when nothing is kept)
  // and the plain password. "Cancel" gives them back.
  char* loginNameBefore;
  char* loginStarsBefore;
  char loginPasswordBefore[kPasswordSize];
};
extern NewUserWindowScreen g_newUser;

// Makes the window over the login window and makes it modal, or shows the
// existing one again with its entries. 0; 2 without memory; a platform's
// refusal as its code.
ErrorCode OpenNewUserWindow();
// Deletes the buttons, the fields and the window, if there is one.
void CloseNewUserWindow();
// Selects the whole user name, so a name that is taken is retyped at once.
void SelectNewUserName();

uint16_t NewUserEventProc(void* source, Event* event);
uint16_t NewUserButtonClick(Button* button, UserData userData);

// The plain-text buffer of one of the window's password fields; nullptr for
// any other box.
char* NewUserPasswordBufferOf(const EditBox* box);
