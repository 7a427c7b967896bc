#pragma once
// The program-wide error results: 0 for success, otherwise one of these
// codes. Their texts live with the connection code's error table.

#include "core/types.h"

inline constexpr ErrorCode kErrorNone = 0;
inline constexpr ErrorCode kErrorOutOfMemory = 2;       // "Out of memory."
inline constexpr ErrorCode kErrorLaunchFailed = 3;      // "Failed to launch the program."
inline constexpr ErrorCode kErrorFileRead = 8;          // "File read error."
inline constexpr ErrorCode kErrorUnknownFile = 10;      // "Unknown file error."
inline constexpr ErrorCode kErrorResourceNotFound = 13; // "Resource not found."
