// orva-inspect file on building image sets and game image files: the
// set's rectangle, both animations as the client reads them, the closed
// picture, and a contact sheet of every frame.

#include <QImage>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/byte_reader.h"
#include "media/animation_def.h"
#include "media/building_set.h"
#include "media/image.h"
#include "media/image_block.h"
#include "tools/inspect/file_report.h"
#include "tools/inspect/json.h"

namespace {

struct ImageDeleter {
  void operator()(Image* image) const { ImageDelete(image); }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;

// An animation definition taken apart, its pictures built as the client
// builds them.
struct LoadedAnimation {
  AnimationDefHeader header{};
  std::vector<AnimationFrame> frames;
  std::vector<ImagePtr> images;
  ImagePtr sharedMask;
};

ImagePtr Build(std::span<const uint8_t> block, std::span<const uint8_t> maskBlock) {
  ImagePtr image(ImageNew());
  if (!image || ImageBuild(image.get(), block, maskBlock) != 0) return nullptr;
  return image;
}

bool LoadAnimation(std::span<const uint8_t> definition, LoadedAnimation* out, std::string* error) {
  if (!AnimationDefCheck(definition, &out->header)) {
    *error = "an animation definition is malformed";
    return false;
  }
  const AnimationDefHeader& h = out->header;
  for (uint16_t k = 0; k < h.frameCount; ++k) {
    const uint8_t* r = definition.data() + h.frameTableOffset + k * kAnimationFrameSize;
    uint16_t next;
    std::memcpy(&next, r + 2, 2);
    out->frames.push_back(AnimationFrame{r[0], r[1], next});
  }
  for (uint16_t k = 0; k < h.imageCount; ++k) {
    ImagePtr image = Build(definition.subspan(HostWordAt(definition.data() + h.imageTableOffset + 4 * k)), {});
    if (!image) {
      *error = "image " + std::to_string(k + 1) + " of an animation cannot be decoded";
      return false;
    }
    out->images.push_back(std::move(image));
  }
  if (h.sharedMaskOffset) {
    out->sharedMask = Build({}, definition.subspan(h.sharedMaskOffset));
    if (!out->sharedMask) {
      *error = "the shared mask of an animation cannot be decoded";
      return false;
    }
  }
  return true;
}

struct LoadedSet {
  BuildingSetHeader header{};
  std::unique_ptr<LoadedAnimation> idle, enter;
  ImagePtr closed;
};

bool LoadSet(std::vector<uint8_t> set, LoadedSet* out, std::string* error) {
  BuildingSetParts parts{};
  if (!BuildingSetConvert(set, kToHostOrder) || !BuildingSetRead(set, &parts)) {
    *error = "not a building image set: its offsets, counts or records do not fit";
    return false;
  }
  out->header = parts.header;
  for (auto [part, slot] : {std::pair{parts.idle, &out->idle}, std::pair{parts.enter, &out->enter}}) {
    if (part.empty()) continue;
    *slot = std::make_unique<LoadedAnimation>();
    if (!LoadAnimation(part, slot->get(), error)) return false;
  }
  if (!parts.closed.empty()) {
    out->closed = Build(parts.closed, {});
    if (!out->closed) {
      *error = "the closed picture cannot be decoded";
      return false;
    }
  }
  return true;
}

void AnimationJson(JsonWriter& j, const LoadedAnimation* a) {
  if (!a) {
    j.Null();
    return;
  }
  const AnimationDefHeader& h = a->header;
  j.BeginObject().Key("frames").Value(uint32_t{h.frameCount}).Key("duration").Value(uint32_t{h.duration});
  j.Key("interval").Value(uint32_t{AnimationInterval(h.duration, h.frameCount)});
  j.Key("images").Value(uint32_t{h.imageCount}).Key("attachments").Value(uint32_t{h.attachmentCount});
  j.Key("shared_mask").Value(h.sharedMaskOffset != 0).Key("frame_table").BeginArray();
  for (const AnimationFrame& f : a->frames) j.BeginArray().Value(uint32_t{f.image}).Value(uint32_t{f.next}).EndArray();
  j.EndArray().EndObject();
}

void AnimationText(const char* name, const LoadedAnimation* a) {
  if (!a) {
    std::printf("  %s: none\n", name);
    return;
  }
  const AnimationDefHeader& h = a->header;
  std::printf("  %s: %u frames, duration %u (tenths of a second), interval %u ticks, %u images, %u attachments, %s\n",
              name, h.frameCount, h.duration, AnimationInterval(h.duration, h.frameCount), h.imageCount,
              h.attachmentCount, h.sharedMaskOffset ? "shared mask" : "no shared mask");
  std::printf("    frames (image, next):");
  for (const AnimationFrame& f : a->frames) std::printf(" (%u, %u)", f.image, f.next);
  std::printf("\n");
}

// The contact sheet: a row of idle frames, a row of enter frames, then the
// closed picture, each over a checkerboard so transparency shows.
constexpr int kMargin = 8;
constexpr int kGap = 6;

void Paste(QImage* sheet, int left, int top, const Image* image, const Image* sharedMask) {
  const BitMask* mask = ImageMask(image);
  if (!mask && sharedMask) mask = ImageMask(sharedMask);
  for (int y = 0; y < image->height && y < image->picture.height; ++y)
    for (int x = 0; x < image->width && x < image->picture.width; ++x) {
      const bool checker = ((x / 4) + (y / 4)) % 2 == 0;
      QRgb c = checker ? qRgb(0xD8, 0xD8, 0xD8) : qRgb(0xF4, 0xF4, 0xF4);
      const bool opaque = !mask || (x < mask->width && y < mask->height && BitMaskGet(*mask, x, y));
      if (opaque && image->picture.pixels) c = 0xFF000000u | image->picture.pixels[y * image->picture.width + x];
      sheet->setPixel(left + x, top + y, c);
    }
}

bool WriteSheet(const LoadedSet& s, const char* path, int scale) {
  std::vector<std::vector<std::pair<const Image*, const Image*>>> rows;
  for (const LoadedAnimation* a : {s.idle.get(), s.enter.get()}) {
    if (!a) continue;
    rows.emplace_back();
    for (const AnimationFrame& f : a->frames) rows.back().emplace_back(a->images[f.image - 1].get(), a->sharedMask.get());
  }
  if (s.closed) rows.push_back({{s.closed.get(), nullptr}});
  int width = 2 * kMargin, height = kMargin;
  for (const auto& row : rows) {
    int w = kMargin, h = 0;
    for (auto [image, mask] : row) {
      w += image->width + kGap;
      h = std::max<int>(h, image->height);
    }
    width = std::max(width, w - kGap + kMargin);
    height += h + kMargin;
  }
  height = std::max(height, 2 * kMargin);
  QImage sheet(width, height, QImage::Format_RGB32);
  sheet.fill(qRgb(0x60, 0x60, 0x60));
  int top = kMargin;
  for (const auto& row : rows) {
    int left = kMargin, h = 0;
    for (auto [image, mask] : row) {
      Paste(&sheet, left, top, image, mask);
      left += image->width + kGap;
      h = std::max<int>(h, image->height);
    }
    top += h + kMargin;
  }
  if (scale > 1) sheet = sheet.scaled(width * scale, height * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  return sheet.save(QString::fromUtf8(path), "PNG");
}

}  // namespace

int InspectBuilding(const InspectOptions& o, const std::vector<uint8_t>& bytes, bool gameImage) {
  const char* kind = gameImage ? "game-image" : "set";
  uint32_t version = 0, length = static_cast<uint32_t>(bytes.size());
  std::vector<uint8_t> set;
  if (gameImage) {
    version = LoadBe32(bytes.data());
    length = LoadBe32(bytes.data() + 8);
    if (length > bytes.size() - kFileHeaderSize)
      return InspectReport(o, kind, "the set is " + std::to_string(length) + " bytes, the file holds " +
                                        std::to_string(bytes.size() - kFileHeaderSize) + " (the client rejects it)");
    set.assign(bytes.begin() + kFileHeaderSize, bytes.begin() + kFileHeaderSize + length);
  } else {
    set = bytes;
  }
  LoadedSet s;
  std::string error;
  if (!LoadSet(set, &s, &error)) {
    return InspectReport(o, gameImage ? kind : "unknown",
                         gameImage ? error : "not a resource, image or game image file, nor a building image set");
  }
  if (o.png) {
    if (!WriteSheet(s, o.png, o.scale)) return InspectReport(o, kind, std::string("cannot write ") + o.png);
    return 0;
  }
  const Rect& r = s.header.rect;
  if (o.json) {
    JsonWriter j;
    j.BeginObject().Key("kind").Value(kind);
    if (gameImage) j.Key("version").Value(version);
    j.Key("length").Value(length).Key("set").BeginObject().Key("rect").BeginArray();
    j.Value(int32_t{r.left}).Value(int32_t{r.top}).Value(int32_t{r.right}).Value(int32_t{r.bottom}).EndArray();
    j.Key("idle");
    AnimationJson(j, s.idle.get());
    j.Key("enter");
    AnimationJson(j, s.enter.get());
    j.Key("closed");
    if (s.closed)
      j.BeginObject().Key("width").Value(uint32_t{s.closed->width}).Key("height").Value(uint32_t{s.closed->height}).EndObject();
    else
      j.Null();
    j.EndObject().EndObject();
    std::printf("%s\n", j.Text().c_str());
    return 0;
  }
  if (gameImage) std::printf("game image file, version %u, magic FOGI, set of %u bytes\n", version, length);
  else std::printf("building image set, %u bytes\n", length);
  std::printf("  rect: %d %d %d %d (%d x %d)\n", r.left, r.top, r.right, r.bottom, RectWidth(r), RectHeight(r));
  AnimationText("idle", s.idle.get());
  AnimationText("enter", s.enter.get());
  if (s.closed) std::printf("  closed: %u x %u\n", s.closed->width, s.closed->height);
  else std::printf("  closed: none\n");
  return 0;
}
