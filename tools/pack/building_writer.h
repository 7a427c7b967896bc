#pragma once
// Writing animation definitions, building image sets and game image files
// in file order, from pictures already turned into colour indices.

#include <cstdint>
#include <string>
#include <vector>

#include "core/rect.h"
#include "tools/pack/image_writer.h"

struct AnimationPictures {
  uint16_t duration = 0;
  // The distinct pictures, each stored once; their own opacity is what the
  // shared mask is made of (the union over all of them).
  std::vector<IndexedPicture> images;
  struct Frame {
    uint8_t image;  // 1-based into images
    uint16_t next;
  };
  std::vector<Frame> frames;
};

// The definition: header, frame table, image table, the picture blocks
// (without masks of their own, so the shared one is used), then the shared
// mask block when any picture has a transparent pixel. False with a reason
// when the pictures differ in size or cannot be stored.
bool AnimationDefinitionWrite(const AnimationPictures& animation, std::vector<uint8_t>* out, std::string* error);

// The set: the 24-byte header, then each part present (an empty part is
// absent), each starting on a multiple of 4.
std::vector<uint8_t> BuildingSetWrite(const Rect& rect, const std::vector<uint8_t>& idle,
                                      const std::vector<uint8_t>& enter, const std::vector<uint8_t>& closed);

// A game image file: version, "FOGI", the set's length, then the set.
std::vector<uint8_t> GameImageFileBytes(uint32_t version, const std::vector<uint8_t>& set);
