#pragma once
// Until the controls exist, a button is a counter of presses: Enter and
// Escape routing is checked against it.

#include <cstdint>

struct Button {
  uint32_t kind;
  int presses;
};
