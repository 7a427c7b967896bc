#include "tools/pack/image_writer.h"

#include "core/byte_reader.h"
#include "media/image_block.h"
#include "media/run_length.h"

namespace {

// A packed row's length word must stay below this.
constexpr size_t kMaxPackedRow = 32768;

void PutBe32(std::vector<uint8_t>* out, uint32_t v) {
  uint8_t b[4];
  StoreBe32(b, v);
  out->insert(out->end(), b, b + 4);
}

bool PackRows(const std::vector<uint8_t>& rows, size_t rowBytes, int32_t height, std::vector<uint8_t>* out,
              std::string* error) {
  std::vector<uint8_t> code;
  for (int32_t y = 0; y < height; ++y) {
    code.clear();
    RunLengthEncode({rows.data() + static_cast<size_t>(y) * rowBytes, rowBytes}, &code);
    if (code.size() >= kMaxPackedRow) {
      *error = "a packed row is longer than 32767 bytes";
      return false;
    }
    out->push_back(static_cast<uint8_t>(code.size() >> 8));
    out->push_back(static_cast<uint8_t>(code.size()));
    out->insert(out->end(), code.begin(), code.end());
  }
  return true;
}

}  // namespace

bool ImageBlockWrite(const IndexedPicture& p, std::vector<uint8_t>* block, std::string* error) {
  if (p.width <= 0 || p.height <= 0 || p.width > 65535 || p.height > 65535) {
    *error = "the picture's size cannot be stored";
    return false;
  }
  if (p.colors.size() > 256) {
    *error = "a colour table holds at most 256 colours";
    return false;
  }
  const size_t width = static_cast<size_t>(p.width);
  const size_t maskRowBytes = (width + 7) / 8;
  std::vector<uint8_t> out(kBlockHeaderSize, 0);

  uint32_t tableOffset = 0;
  if (!p.colors.empty()) {
    tableOffset = static_cast<uint32_t>(out.size());
    PutBe32(&out, static_cast<uint32_t>(p.colors.size()));
    for (size_t k = 0; k < p.colors.size(); ++k) {
      const Pixel c = p.colors[k];
      out.insert(out.end(), {static_cast<uint8_t>(k), static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                             static_cast<uint8_t>(c)});
    }
  }
  const uint32_t pictureOffset = static_cast<uint32_t>(out.size());
  if (!PackRows(p.indices, width, p.height, &out, error)) return false;

  uint32_t maskOffset = 0;
  if (!p.opaque.empty()) {
    std::vector<uint8_t> bits(maskRowBytes * static_cast<size_t>(p.height), 0);
    for (size_t y = 0; y < static_cast<size_t>(p.height); ++y)
      for (size_t x = 0; x < width; ++x)
        if (p.opaque[y * width + x]) bits[y * maskRowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    maskOffset = static_cast<uint32_t>(out.size());
    if (!PackRows(bits, maskRowBytes, p.height, &out, error)) return false;
  }

  uint8_t* h = out.data();
  StoreBe32(h + kBlockLength, static_cast<uint32_t>(out.size()));
  StoreBe16(h + kBlockWidth, static_cast<uint16_t>(p.width));
  StoreBe16(h + kBlockHeight, static_cast<uint16_t>(p.height));
  StoreBe16(h + kBlockRowBytes, static_cast<uint16_t>(width));
  StoreBe16(h + kBlockMaskRowBytes, maskOffset ? static_cast<uint16_t>(maskRowBytes) : 0);
  StoreBe32(h + kBlockColorTable, tableOffset);
  StoreBe32(h + kBlockPicture, pictureOffset);
  StoreBe32(h + kBlockMask, maskOffset);
  *block = std::move(out);
  return true;
}

bool MaskBlockWrite(int32_t width, int32_t height, const std::vector<uint8_t>& opaque, std::vector<uint8_t>* block,
                    std::string* error) {
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535 ||
      opaque.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
    *error = "the mask's size cannot be stored";
    return false;
  }
  const size_t w = static_cast<size_t>(width);
  const size_t maskRowBytes = (w + 7) / 8;
  std::vector<uint8_t> bits(maskRowBytes * static_cast<size_t>(height), 0);
  for (size_t y = 0; y < static_cast<size_t>(height); ++y)
    for (size_t x = 0; x < w; ++x)
      if (opaque[y * w + x]) bits[y * maskRowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
  std::vector<uint8_t> out(kBlockHeaderSize, 0);
  if (!PackRows(bits, maskRowBytes, height, &out, error)) return false;
  uint8_t* h = out.data();
  StoreBe32(h + kBlockLength, static_cast<uint32_t>(out.size()));
  StoreBe16(h + kBlockWidth, static_cast<uint16_t>(width));
  StoreBe16(h + kBlockHeight, static_cast<uint16_t>(height));
  StoreBe16(h + kBlockMaskRowBytes, static_cast<uint16_t>(maskRowBytes));
  StoreBe32(h + kBlockMask, static_cast<uint32_t>(kBlockHeaderSize));
  *block = std::move(out);
  return true;
}

bool ImageFileWrite(const IndexedPicture& picture, uint32_t version, std::vector<uint8_t>* file,
                    std::string* error) {
  std::vector<uint8_t> block;
  if (!ImageBlockWrite(picture, &block, error)) return false;
  std::vector<uint8_t> out;
  PutBe32(&out, version);
  out.insert(out.end(), {'F', 'O', 'I', 'M'});
  PutBe32(&out, static_cast<uint32_t>(block.size()));
  out.insert(out.end(), block.begin(), block.end());
  *file = std::move(out);
  return true;
}
