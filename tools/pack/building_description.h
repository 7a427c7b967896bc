#pragma once
// The text descriptions orva-pack turns into animation definitions and
// building image sets.
//
// An animation ("idle.anim"), one statement a line, # starts a comment:
//   duration 8                  tenths of a second for one pass
//   frame idle-1.png [next N]   frames in order; N is the next-frame value
// A building ("set.txt"):
//   rect LEFT TOP RIGHT BOTTOM  lobby map coordinates, right and bottom exclusive
//   idle idle.anim | enter enter.anim | closed closed.png   each optional
// File names are relative to the description's own directory.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/rect.h"

struct AnimationDescription {
  uint16_t duration = 0;
  struct Frame {
    std::string file;
    uint16_t next = 0;
  };
  std::vector<Frame> frames;
};

struct BuildingDescription {
  Rect rect{0, 0, 0, 0};
  std::string idle, enter, closed;  // empty: absent
};

// False with a message naming the line on the first bad one, or when a
// required statement is missing (a duration and a frame; a rect).
bool AnimationDescriptionParse(std::string_view text, AnimationDescription* out, std::string* error);
bool BuildingDescriptionParse(std::string_view text, BuildingDescription* out, std::string* error);
