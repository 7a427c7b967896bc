#pragma once
// Names for assistive technology (screen readers). Native windows and
// controls speak for themselves (a window's title is its name); what a
// window draws itself, such as buildings on a map, is described to the
// platform as items: a role, a name and a place in the drawing area.

#include <cstdint>

#include "platform/geometry.h"
#include "platform/handles.h"

enum PlatformAccessRole : int32_t {
  kPlatformAccessItem = 0,    // a thing to pick from a set (a building)
  kPlatformAccessButton = 1,  // a thing that does something when pressed (an icon)
};

struct PlatformAccessItem {
  PlatformRect rect;        // drawing-area coordinates
  const char* name;         // Latin-1, copied
  PlatformAccessRole role;
};

// Replaces the items of window, in the order a reader walks them; count 0
// removes them. Called on the program's thread.
void PlatformWindowSetAccessItems(PlatformWindow window, const PlatformAccessItem* items, int32_t count);
// The item of window that has the keyboard focus (index into the items),
// -1 for none; readers are told when it changes while the window has the
// keyboard.
void PlatformWindowSetAccessFocus(PlatformWindow window, int32_t index);
