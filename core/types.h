#pragma once
// Small shared vocabulary of the portable code.

#include <cstdint>

// A value handed back unchanged to a callback. Wide enough for an address,
// so callers may pass a pointer to their own state.
using UserData = uintptr_t;

// Every operation that can fail returns 0 or one of the program's error codes.
using ErrorCode = int32_t;
