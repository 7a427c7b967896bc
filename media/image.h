#pragma once
// Images: a picture in RGB made from an image block's colour indices, and an
// optional 1-bit transparency mask. Loaded from stand-alone image files or
// from a block at an offset inside another file (resource items).

#include <cstdint>
#include <span>

#include "core/types.h"
#include "media/palette.h"
#include "toolkit/pixels.h"

inline constexpr uint32_t kObjectKindImage = 8;

// The offset argument of ImageLoadAt that means "a stand-alone image file".
inline constexpr int64_t kImageFileOffset = -1;

struct Image {
  uint32_t kind;        // always kObjectKindImage
  // R x height pixels, R = the block's row bytes rounded up to a multiple of
  // 4 (the unpacked rows as they stand); pixels is nullptr when there is no
  // picture. Only the top-left width x height is the image.
  PixelBuffer picture;
  // 8*M x height bits, M = the mask row bytes rounded up to a multiple of 4,
  // set = opaque; bits is nullptr when the image has no mask.
  BitMask mask;
  // The colour table the picture was coloured with.
  Palette colors;
  uint16_t width;
  uint16_t height;
};

// An empty image (no picture, no mask, 0 x 0); nullptr when memory is short.
Image* ImageNew();
// Frees the picture, the mask and the object; nullptr is accepted.
void ImageDelete(Image* image);

// Loads the image file fileName (header "FOIM" followed by a block);
// nullptr on any failure.
Image* ImageLoadFile(const char* fileName);
// Loads the block at offset in fileName, or a stand-alone image file when
// offset is kImageFileOffset. The block's own length says how much is read;
// nullptr on any failure (missing file, short or malformed data, memory).
Image* ImageLoadAt(const char* fileName, int64_t offset);

// Builds image from blocks in host order (see ImageBlockConvert). Either
// span may be empty (absent). The picture comes from block; the mask from
// block, or from maskBlock when block has none. Each span must hold at least
// its block's length. Returns 0, kErrorUnknownFile when a block's header,
// colour table or rows do not fit inside the block, or kErrorOutOfMemory.
ErrorCode ImageBuild(Image* image, std::span<const uint8_t> block, std::span<const uint8_t> maskBlock);

// The version word of an image-family file ("FOIM" or "FOGI", not checked);
// 0 when the file cannot be opened or is shorter than its 12-byte header.
uint32_t ImageReadVersion(const char* fileName);

uint16_t ImageWidth(const Image* image);
uint16_t ImageHeight(const Image* image);
// The mask, or nullptr when the image has none.
const BitMask* ImageMask(const Image* image);
