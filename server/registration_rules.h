#pragma once
// The client's own rules for a new account, applied again by the server:
// nothing a client sends is taken on trust.

#include "protocol/access_request.h"

// A user name of 1 to 31 ASCII letters and digits.
bool RegistrationNameValid(const char* name);
// Whether the registration fields of request pass every rule: the name as
// above, a password of 4 to 31 bytes each from 1 to 127, a full name of 1 to
// 127 characters.
bool RegistrationValid(const AccessRequestFields& request);
