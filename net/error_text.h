#pragma once
// The program's error codes and their texts.

#include "core/types.h"

enum : ErrorCode {
  kErrorNone = 0,
  kErrorOutOfMemory = 2,
  kErrorBadParameter = 15,
  kErrorNetworkStart = 1002,
  kErrorLocalNetwork = 1003,
  kErrorSystem = 2001,
};

// The text of code, or nullptr for a code that has none.
const char* ErrorText(ErrorCode code);
