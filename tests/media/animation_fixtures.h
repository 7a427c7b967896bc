#pragma once
// Builders of animation definitions and building image sets in file order,
// with small solid-colour images, for the tests of animations, sets and
// game image files.

#include <cstdint>
#include <utility>
#include <vector>

#include "core/rect.h"
#include "tests/media/media_fixtures.h"

// A w x h block filled with one colour of its own table; with opaqueRows,
// a mask whose row y has the pixels of the bit pattern opaqueRows[y].
inline Bytes SolidBlock(uint16_t w, uint16_t h, uint32_t colour, const std::vector<uint8_t>& opaqueRows = {}) {
  BlockSpec s;
  s.width = w;
  s.height = h;
  s.rowBytes = w;
  s.colors = {0xFFFFFF, colour};
  std::vector<Bytes> rows(h, Bytes{static_cast<uint8_t>(0x80 + w), 1});
  s.picture = PackedRows(rows);
  if (!opaqueRows.empty()) {
    s.maskRowBytes = 1;
    std::vector<Bytes> maskRows;
    for (uint8_t bits : opaqueRows) maskRows.push_back({0x01, bits});
    s.mask = PackedRows(maskRows);
  }
  return MakeBlock(s);
}

// A mask-only block, as the shared mask of an animation.
inline Bytes MaskBlock(uint16_t w, const std::vector<uint8_t>& opaqueRows) {
  BlockSpec s;
  s.width = w;
  s.height = static_cast<uint16_t>(opaqueRows.size());
  s.maskRowBytes = 1;
  std::vector<Bytes> maskRows;
  for (uint8_t bits : opaqueRows) maskRows.push_back({0x01, bits});
  s.mask = PackedRows(maskRows);
  return MakeBlock(s);
}

struct DefinitionSpec {
  uint16_t duration = 20;
  std::vector<std::pair<uint8_t, uint16_t>> frames;  // image number, next frame
  std::vector<Bytes> images;                         // blocks in file order
  Bytes sharedMask;                                  // a block, or empty
  uint16_t attachments = 0;
};

// Where MakeDefinition put things, for tests that spoil them.
struct DefinitionLayout {
  uint32_t frameTable, imageTable, attachmentTable, sharedMask;
  std::vector<uint32_t> images, attachments;
};

// Header, frame table, image table, attachment table, image blocks, the
// shared mask block, then the attachment records.
inline Bytes MakeDefinition(const DefinitionSpec& s, DefinitionLayout* layout = nullptr) {
  DefinitionLayout l{};
  Bytes d(32, 0);
  l.frameTable = static_cast<uint32_t>(d.size());
  for (auto [image, next] : s.frames) {
    d.insert(d.end(), {image, 0});
    PutBe16(&d, next);
  }
  l.imageTable = static_cast<uint32_t>(d.size());
  d.resize(d.size() + 4 * s.images.size());
  l.attachmentTable = static_cast<uint32_t>(d.size());
  d.resize(d.size() + 4 * s.attachments);
  for (size_t k = 0; k < s.images.size(); ++k) {
    l.images.push_back(static_cast<uint32_t>(d.size()));
    StoreBe32(&d[l.imageTable + 4 * k], l.images.back());
    d.insert(d.end(), s.images[k].begin(), s.images[k].end());
  }
  if (!s.sharedMask.empty()) {
    l.sharedMask = static_cast<uint32_t>(d.size());
    d.insert(d.end(), s.sharedMask.begin(), s.sharedMask.end());
  }
  for (size_t k = 0; k < s.attachments; ++k) {
    l.attachments.push_back(static_cast<uint32_t>(d.size()));
    StoreBe32(&d[l.attachmentTable + 4 * k], l.attachments.back());
    for (uint8_t b = 0; b < 24; ++b) d.push_back(static_cast<uint8_t>(0x10 * k + b));
  }
  StoreBe32(&d[0], 0x11223344);
  StoreBe32(&d[4], 0x55667788);
  StoreBe16(&d[8], static_cast<uint16_t>(s.frames.size()));
  StoreBe16(&d[10], s.duration);
  StoreBe16(&d[12], static_cast<uint16_t>(s.images.size()));
  StoreBe16(&d[14], s.attachments);
  StoreBe32(&d[16], l.frameTable);
  StoreBe32(&d[20], l.sharedMask);
  StoreBe32(&d[24], s.images.empty() ? 0 : l.imageTable);
  StoreBe32(&d[28], s.attachments ? l.attachmentTable : 0);
  if (layout) *layout = l;
  return d;
}

// A set: the header, then the idle and enter definitions and the closed
// block, each where it comes (an empty part is absent, offset 0).
inline Bytes MakeSet(Rect rect, const Bytes& idle, const Bytes& enter, const Bytes& closed) {
  Bytes s;
  PutBe32(&s, 0xCAFE0001);
  for (int16_t v : {rect.left, rect.top, rect.right, rect.bottom}) PutBe16(&s, static_cast<uint16_t>(v));
  s.resize(24, 0);
  uint32_t offsets[3] = {0, 0, 0};
  const Bytes* parts[3] = {&idle, &enter, &closed};
  for (int k = 0; k < 3; ++k) {
    if (parts[k]->empty()) continue;
    offsets[k] = static_cast<uint32_t>(s.size());
    s.insert(s.end(), parts[k]->begin(), parts[k]->end());
  }
  for (int k = 0; k < 3; ++k) StoreBe32(&s[12 + 4 * k], offsets[k]);
  return s;
}

// Four frames of 8 x 4 in four colours, looping or not, with a shared mask
// whose left half is opaque.
inline constexpr uint32_t kFrameColours[4] = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
inline DefinitionSpec FourFrames(uint16_t lastNext = 0, uint16_t duration = 20) {
  DefinitionSpec s;
  s.duration = duration;
  for (uint8_t k = 1; k <= 4; ++k) s.frames.emplace_back(k, 0);
  s.frames.back().second = lastNext;
  for (uint32_t c : kFrameColours) s.images.push_back(SolidBlock(8, 4, c));
  s.sharedMask = MaskBlock(8, {0xF0, 0xF0, 0xF0, 0xF0});
  return s;
}
