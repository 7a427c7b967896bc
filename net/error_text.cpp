#include "net/error_text.h"

namespace {

// Codes from 0 take entries 0 to 15, from 1000 entries 16 to 23, from 2000
// entries 24 and 25.
const char* const kTexts[26] = {
    "No error.",
    "An unknown error has occurred.",
    "Out of memory.",
    "Failed to launch the program.",
    "Bad font object.",
    "Bad color object.",
    "Bad directory specification.",
    "A duplicate error?",
    "File read error.",
    "File write error.",
    "Unknown file error.",
    "Bad object.",
    "NULL object.",
    "Resource not found.",
    "File not found.",
    "Bad parameter.",
    "An unknown network error occurred.",
    "Network read error.",
    "Another generic network error.",
    "Local network problem.",
    "Unknown host.",
    "Specified host not found.",
    "Server ID not found.",
    nullptr,
    "Windows system error.",
    "Generic Windows system error.",
};

}  // namespace

const char* ErrorText(ErrorCode code) {
  int index;
  if (code >= 2000 && code <= 2001) {
    index = 24 + (code - 2000);
  } else if (code >= 1000 && code <= 1006) {
    index = 16 + (code - 1000);
  } else if (code >= 0 && code <= 15) {
    index = code;
  } else {
    return nullptr;
  }
  return kTexts[index];
}
