#pragma once
// Writing image blocks and image files from a picture of colour indices.

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/pixels.h"

struct IndexedPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> indices;  // width x height, top row first
  // One byte per pixel, non-zero = opaque; empty when every pixel is opaque
  // (the block then carries no mask).
  std::vector<uint8_t> opaque;
  // The colour table written into the block; empty means the built-in
  // default table (no table in the block).
  std::vector<Pixel> colors;
};

// The block in file order, or false with a reason when the picture cannot
// be stored (too large, a packed row too long).
bool ImageBlockWrite(const IndexedPicture& picture, std::vector<uint8_t>* block, std::string* error);
// A block with a mask and no picture (an animation's shared mask): width x
// height pixels, opaque where opaque (one byte a pixel) is not 0.
bool MaskBlockWrite(int32_t width, int32_t height, const std::vector<uint8_t>& opaque, std::vector<uint8_t>* block,
                    std::string* error);
// A stand-alone image file: the "FOIM" header with version, then the block.
bool ImageFileWrite(const IndexedPicture& picture, uint32_t version, std::vector<uint8_t>* file,
                    std::string* error);
