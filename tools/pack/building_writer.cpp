#include "tools/pack/building_writer.h"

#include "core/byte_reader.h"
#include "media/animation_def.h"
#include "media/building_set.h"

namespace {

void PutBe32(std::vector<uint8_t>* out, uint32_t v) {
  uint8_t b[4];
  StoreBe32(b, v);
  out->insert(out->end(), b, b + 4);
}

void Align4(std::vector<uint8_t>* out) { out->resize((out->size() + 3) & ~size_t{3}, 0); }

// The union of the pictures' opaque pixels; empty when every pixel of
// every picture is opaque (no mask is needed).
std::vector<uint8_t> SharedOpacity(const std::vector<IndexedPicture>& images) {
  bool anyTransparent = false;
  for (const IndexedPicture& p : images) anyTransparent = anyTransparent || !p.opaque.empty();
  if (!anyTransparent) return {};
  std::vector<uint8_t> opaque(images.front().indices.size(), 0);
  for (const IndexedPicture& p : images)
    for (size_t i = 0; i < opaque.size(); ++i)
      if (p.opaque.empty() || p.opaque[i]) opaque[i] = 1;
  return opaque;
}

}  // namespace

bool AnimationDefinitionWrite(const AnimationPictures& a, std::vector<uint8_t>* out, std::string* error) {
  if (a.frames.empty() || a.frames.size() > 65535 || a.images.empty() || a.images.size() > 255) {
    *error = "an animation needs 1 to 65535 frames and 1 to 255 distinct pictures";
    return false;
  }
  const IndexedPicture& first = a.images.front();
  for (const IndexedPicture& p : a.images) {
    if (p.width != first.width || p.height != first.height) {
      *error = "the frames of an animation differ in size";
      return false;
    }
  }
  for (const AnimationPictures::Frame& f : a.frames) {
    if (f.image == 0 || f.image > a.images.size()) {
      *error = "a frame names a picture that is not there";
      return false;
    }
  }
  const size_t frameCount = a.frames.size();
  const size_t imageCount = a.images.size();
  std::vector<uint8_t> d(kAnimationDefHeaderSize, 0);
  const uint32_t frameTable = static_cast<uint32_t>(d.size());
  for (const AnimationPictures::Frame& f : a.frames)
    d.insert(d.end(), {f.image, 0, static_cast<uint8_t>(f.next >> 8), static_cast<uint8_t>(f.next)});
  const uint32_t imageTable = static_cast<uint32_t>(d.size());
  d.resize(d.size() + 4 * imageCount, 0);
  for (size_t k = 0; k < imageCount; ++k) {
    IndexedPicture picture = a.images[k];
    picture.opaque.clear();  // the shared mask serves every frame
    std::vector<uint8_t> block;
    if (!ImageBlockWrite(picture, &block, error)) return false;
    Align4(&d);
    StoreBe32(&d[imageTable + 4 * k], static_cast<uint32_t>(d.size()));
    d.insert(d.end(), block.begin(), block.end());
  }
  uint32_t maskOffset = 0;
  const std::vector<uint8_t> opaque = SharedOpacity(a.images);
  if (!opaque.empty()) {
    std::vector<uint8_t> block;
    if (!MaskBlockWrite(first.width, first.height, opaque, &block, error)) return false;
    Align4(&d);
    maskOffset = static_cast<uint32_t>(d.size());
    d.insert(d.end(), block.begin(), block.end());
  }
  uint8_t* h = d.data();
  StoreBe16(h + kAnimationDefFrameCount, static_cast<uint16_t>(frameCount));
  StoreBe16(h + kAnimationDefDuration, a.duration);
  StoreBe16(h + kAnimationDefImageCount, static_cast<uint16_t>(imageCount));
  StoreBe32(h + kAnimationDefFrameTable, frameTable);
  StoreBe32(h + kAnimationDefSharedMask, maskOffset);
  StoreBe32(h + kAnimationDefImageTable, imageTable);
  *out = std::move(d);
  return true;
}

std::vector<uint8_t> BuildingSetWrite(const Rect& rect, const std::vector<uint8_t>& idle,
                                      const std::vector<uint8_t>& enter, const std::vector<uint8_t>& closed) {
  std::vector<uint8_t> s(kBuildingSetHeaderSize, 0);
  StoreBe16(&s[kBuildingSetRect], static_cast<uint16_t>(rect.left));
  StoreBe16(&s[kBuildingSetRect + 2], static_cast<uint16_t>(rect.top));
  StoreBe16(&s[kBuildingSetRect + 4], static_cast<uint16_t>(rect.right));
  StoreBe16(&s[kBuildingSetRect + 6], static_cast<uint16_t>(rect.bottom));
  const std::vector<uint8_t>* parts[3] = {&idle, &enter, &closed};
  const size_t fields[3] = {kBuildingSetIdle, kBuildingSetEnter, kBuildingSetClosed};
  for (int k = 0; k < 3; ++k) {
    if (parts[k]->empty()) continue;
    Align4(&s);
    StoreBe32(&s[fields[k]], static_cast<uint32_t>(s.size()));
    s.insert(s.end(), parts[k]->begin(), parts[k]->end());
  }
  return s;
}

std::vector<uint8_t> GameImageFileBytes(uint32_t version, const std::vector<uint8_t>& set) {
  std::vector<uint8_t> f;
  PutBe32(&f, version);
  f.insert(f.end(), {'F', 'O', 'G', 'I'});
  PutBe32(&f, static_cast<uint32_t>(set.size()));
  f.insert(f.end(), set.begin(), set.end());
  return f;
}
