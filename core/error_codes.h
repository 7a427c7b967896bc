#pragma once
// The program-wide error results: 0 for success, otherwise one of these
// codes. Their texts are in net/error_text.cpp (ErrorText).

#include "core/types.h"

inline constexpr ErrorCode kErrorNone = 0;
inline constexpr ErrorCode kErrorUnknown = 1;           // "An unknown error has occurred."
inline constexpr ErrorCode kErrorOutOfMemory = 2;       // "Out of memory."
inline constexpr ErrorCode kErrorLaunchFailed = 3;      // "Failed to launch the program."
inline constexpr ErrorCode kErrorBadFont = 4;           // "Bad font object."
inline constexpr ErrorCode kErrorBadColor = 5;          // "Bad color object."
inline constexpr ErrorCode kErrorBadDirectory = 6;      // "Bad directory specification."
inline constexpr ErrorCode kErrorDuplicate = 7;         // "A duplicate error?"
inline constexpr ErrorCode kErrorFileRead = 8;          // "File read error."
inline constexpr ErrorCode kErrorFileWrite = 9;         // "File write error."
inline constexpr ErrorCode kErrorUnknownFile = 10;      // "Unknown file error."
inline constexpr ErrorCode kErrorBadObject = 11;        // "Bad object."
inline constexpr ErrorCode kErrorNullObject = 12;       // "NULL object."
inline constexpr ErrorCode kErrorResourceNotFound = 13; // "Resource not found."
inline constexpr ErrorCode kErrorFileNotFound = 14;     // "File not found."
inline constexpr ErrorCode kErrorBadParameter = 15;     // "Bad parameter."
inline constexpr ErrorCode kErrorNetworkUnknown = 1000; // "An unknown network error occurred."
inline constexpr ErrorCode kErrorNetworkRead = 1001;    // "Network read error."
inline constexpr ErrorCode kErrorNetworkStart = 1002;   // "Another generic network error."
inline constexpr ErrorCode kErrorLocalNetwork = 1003;   // "Local network problem."
inline constexpr ErrorCode kErrorUnknownHost = 1004;    // "Unknown host."
inline constexpr ErrorCode kErrorHostNotFound = 1005;   // "Specified host not found."
inline constexpr ErrorCode kErrorServerIdNotFound = 1006; // "Server ID not found."
inline constexpr ErrorCode kErrorWindows = 2000;        // "Windows system error."
inline constexpr ErrorCode kErrorSystem = 2001;         // "Generic Windows system error."
