#pragma once
// The program's error codes and their texts.

#include "core/error_codes.h"

// The text of code, or nullptr for a code that has none.
const char* ErrorText(ErrorCode code);
