#pragma once
// The image block: a 40-byte header, an optional colour table, packed
// picture rows and optional packed mask rows; and the 12-byte header of the
// stand-alone image-family files. Stored big-endian; converted in place.

#include <cstddef>
#include <cstdint>
#include <span>

// Field offsets of the block header (all from the block's first byte).
inline constexpr size_t kBlockLength = 0;
inline constexpr size_t kBlockWidth = 8;
inline constexpr size_t kBlockHeight = 10;
inline constexpr size_t kBlockRowBytes = 12;
inline constexpr size_t kBlockMaskRowBytes = 14;
inline constexpr size_t kBlockColorTable = 28;
inline constexpr size_t kBlockPicture = 32;
inline constexpr size_t kBlockMask = 36;
inline constexpr size_t kBlockHeaderSize = 40;

// The stand-alone file header: version, magic, a third word.
inline constexpr size_t kFileHeaderSize = 12;
// Magics as read into a host-order word from their four characters.
inline constexpr uint32_t kMagicImageFile = 0x464F494D;      // "FOIM"
inline constexpr uint32_t kMagicGameImageFile = 0x464F4749;  // "FOGI"

// Direction of a conversion; the values are those the record converters of
// the program pass around.
enum ConvertDirection : int { kToFileOrder = 0, kToHostOrder = 1 };

// The header of a block that is in host order.
struct ImageBlockHeader {
  uint32_t length;
  uint16_t width;
  uint16_t height;
  uint16_t rowBytes;
  uint16_t maskRowBytes;
  uint32_t colorTableOffset;  // 0: the default colour table
  uint32_t pictureOffset;     // 0: no picture
  uint32_t maskOffset;        // 0: no mask
};

// Converts the 40 header bytes and the colour table's count in place, in
// the order the direction needs (the count is found through the header's
// offset, which must be readable). False, and nothing converted, when the
// header or the count would lie outside block.
bool ImageBlockConvert(std::span<uint8_t> block, ConvertDirection direction);

// Reads the header of a host-order block; false when block is shorter than
// a header.
bool ImageBlockHeaderRead(std::span<const uint8_t> block, ImageBlockHeader* out);

// Swaps the three words of a 12-byte file header (either direction).
void ImageFileHeaderConvert(uint8_t* header);

// A host-order 32-bit word at offset; the caller checked the bounds.
uint32_t HostWordAt(const uint8_t* p);
