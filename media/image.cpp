#include "media/image.h"

#include <algorithm>
#include <cstring>

#include "core/byte_reader.h"
#include "core/error_codes.h"
#include "core/memory.h"
#include "media/image_block.h"
#include "media/run_length.h"

namespace {

// Larger than any picture of the program; a block that asks for more is
// refused before anything is allocated for it.
constexpr uint64_t kMaxSide = 16384;
constexpr uint64_t kMaxPixels = uint64_t{4096} * 4096;

uint32_t AlignRow(uint32_t bytes) { return (bytes + 3u) & ~3u; }

bool SizeAcceptable(uint64_t width, uint64_t height) {
  return width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

// The header of a block in host order, with the block cut to its own
// length; false when the header or the length does not fit the memory given.
bool ReadBlock(std::span<const uint8_t> memory, ImageBlockHeader* header, std::span<const uint8_t>* block) {
  if (!ImageBlockHeaderRead(memory, header)) return false;
  if (header->length < kBlockHeaderSize || header->length > memory.size()) return false;
  *block = memory.first(header->length);
  return true;
}

// Calls unpack(y, code) for each of rows packed rows starting at offset:
// a big-endian length L, then L bytes of run-length code. False when a
// length word or a row's code runs past the block.
template <typename Unpack>
bool ForEachPackedRow(std::span<const uint8_t> block, uint32_t offset, uint32_t rows, Unpack unpack) {
  size_t pos = offset;
  for (uint32_t y = 0; y < rows; ++y) {
    if (pos > block.size() || block.size() - pos < 2) return false;
    const size_t length = LoadBe16(block.data() + pos);
    pos += 2;
    if (length > block.size() - pos) return false;
    unpack(y, block.subspan(pos, length));
    pos += length;
  }
  return true;
}

ErrorCode BuildColors(std::span<const uint8_t> block, const ImageBlockHeader& h, Palette* colors) {
  if (h.colorTableOffset == 0) {
    PaletteFromDefault(colors);
    return kErrorNone;
  }
  const size_t offset = h.colorTableOffset;
  if (offset > block.size() || block.size() - offset < 4) return kErrorUnknownFile;
  const uint32_t count = HostWordAt(block.data() + offset);
  if (count > (block.size() - offset - 4) / 4) return kErrorUnknownFile;
  PaletteFromColorTable(block.data() + offset + 4, count, colors);
  return kErrorNone;
}

ErrorCode BuildPicture(std::span<const uint8_t> block, const ImageBlockHeader& h, PixelBuffer* picture,
                       Palette* colors) {
  const uint32_t rowBytes = AlignRow(h.rowBytes);
  if (!SizeAcceptable(rowBytes, h.height)) return kErrorUnknownFile;
  // Check the table before it can become the shared palette.
  ErrorCode err = BuildColors(block, h, colors);
  if (err) return err;
  if (rowBytes == 0 || h.height == 0) return kErrorNone;  // nothing to hold
  if (!PixelBufferInit(picture, static_cast<int32_t>(rowBytes), h.height, 0)) return kErrorOutOfMemory;
  uint8_t* indices = static_cast<uint8_t*>(MemAlloc(rowBytes));
  if (!indices) {
    PixelBufferFree(picture);
    return kErrorOutOfMemory;
  }
  const Pixel* table = colors->colors;
  const bool ok = ForEachPackedRow(block, h.pictureOffset, h.height, [&](uint32_t y, std::span<const uint8_t> code) {
    // Bytes a short row leaves unwritten are colour 0, the same every time.
    std::memset(indices, 0, rowBytes);
    RunLengthDecode(code, {indices, rowBytes});
    Pixel* out = picture->pixels + static_cast<size_t>(y) * rowBytes;
    for (uint32_t x = 0; x < rowBytes; ++x) out[x] = table[indices[x]];
  });
  MemFree(indices);
  if (!ok) {
    PixelBufferFree(picture);
    return kErrorUnknownFile;
  }
  return kErrorNone;
}

ErrorCode BuildMask(std::span<const uint8_t> block, const ImageBlockHeader& h, BitMask* mask) {
  const uint32_t rowBytes = AlignRow(h.maskRowBytes);
  if (!SizeAcceptable(uint64_t{rowBytes} * 8, h.height)) return kErrorUnknownFile;
  if (rowBytes == 0 || h.height == 0) return kErrorNone;
  if (!BitMaskInit(mask, static_cast<int32_t>(rowBytes * 8), h.height)) return kErrorOutOfMemory;
  const bool ok = ForEachPackedRow(block, h.maskOffset, h.height, [&](uint32_t y, std::span<const uint8_t> code) {
    RunLengthDecode(code, {mask->bits + static_cast<size_t>(y) * rowBytes, rowBytes});
  });
  if (!ok) {
    BitMaskFree(mask);
    return kErrorUnknownFile;
  }
  return kErrorNone;
}

}  // namespace

Image* ImageNew() {
  auto* image = static_cast<Image*>(MemAllocZero(1, sizeof(Image)));
  if (image) image->kind = kObjectKindImage;
  return image;
}

void ImageDelete(Image* image) {
  if (!image) return;
  PixelBufferFree(&image->picture);
  BitMaskFree(&image->mask);
  MemFree(image);
}

ErrorCode ImageBuild(Image* image, std::span<const uint8_t> block, std::span<const uint8_t> maskBlock) {
  ImageBlockHeader h{};
  ImageBlockHeader mh{};
  std::span<const uint8_t> b;
  std::span<const uint8_t> mb;
  const bool haveBlock = !block.empty();
  const bool haveMaskBlock = !maskBlock.empty();
  if (haveBlock && !ReadBlock(block, &h, &b)) return kErrorUnknownFile;
  if (haveMaskBlock && !ReadBlock(maskBlock, &mh, &mb)) return kErrorUnknownFile;

  // Everything is built aside and only handed to the image when all of it
  // worked, so a failure leaves the image as it was.
  PixelBuffer picture{0, 0, nullptr};
  BitMask mask{0, 0, 0, nullptr};
  Palette colors{};
  bool pictureMade = false;
  uint16_t width = image->width;
  uint16_t height = image->height;
  if (haveBlock && h.pictureOffset != 0) {
    if (ErrorCode err = BuildPicture(b, h, &picture, &colors)) return err;
    pictureMade = true;
    width = h.width;
    height = h.height;
  }
  const ImageBlockHeader* maskHeader = nullptr;
  std::span<const uint8_t> maskSource;
  if (haveBlock && h.maskOffset != 0) {
    maskHeader = &h;
    maskSource = b;
  } else if (haveMaskBlock && mh.maskOffset != 0) {
    maskHeader = &mh;
    maskSource = mb;
  }
  if (maskHeader) {
    if (ErrorCode err = BuildMask(maskSource, *maskHeader, &mask)) {
      PixelBufferFree(&picture);
      return err;
    }
    width = maskHeader->width;
    height = maskHeader->height;
  }

  if (pictureMade) {
    PixelBufferFree(&image->picture);
    image->picture = picture;
    image->colors = colors;
  }
  if (maskHeader) {
    BitMaskFree(&image->mask);
    image->mask = mask;
  }
  image->width = width;
  image->height = height;
  return kErrorNone;
}

uint16_t ImageWidth(const Image* image) { return image->width; }
uint16_t ImageHeight(const Image* image) { return image->height; }
const BitMask* ImageMask(const Image* image) { return image->mask.bits ? &image->mask : nullptr; }
