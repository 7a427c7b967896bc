#pragma once
// The program's error codes: every operation that can fail returns 0 or one
// of these.

#include "core/types.h"

inline constexpr ErrorCode kErrorOutOfMemory = 2;
