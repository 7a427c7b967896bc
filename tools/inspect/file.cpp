// orva-inspect file: describes a resource file or an image file and can
// write a decoded image as PNG; building sets and game image files are
// building_file.cpp's.

#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/byte_reader.h"
#include "core/memory.h"
#include "media/image.h"
#include "media/image_block.h"
#include "media/rect_list.h"
#include "media/resource_file.h"
#include "tools/inspect/commands.h"
#include "tools/inspect/file_report.h"
#include "tools/inspect/json.h"

namespace {

std::string TagText(uint32_t tag) {
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>(tag >> shift);
    s += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return s;
}

bool WritePng(const Image* image, const char* path) {
  const int w = image->width;
  const int h = image->height;
  if (!image->picture.pixels || w == 0 || h == 0 || w > image->picture.width || h > image->picture.height)
    return false;
  QImage out(w, h, QImage::Format_ARGB32);
  const BitMask* mask = ImageMask(image);
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const bool opaque = !mask || (x < mask->width && y < mask->height && BitMaskGet(*mask, x, y));
      const Pixel p = image->picture.pixels[static_cast<size_t>(y) * image->picture.width + x];
      line[x] = (opaque ? 0xFF000000u : 0u) | p;
    }
  }
  return out.save(QString::fromUtf8(path), "PNG");
}

int SavePng(const InspectOptions& o, Image* image, const char* kind) {
  if (!image) return InspectReport(o, kind, "the image cannot be decoded");
  const bool ok = WritePng(image, o.png);
  ImageDelete(image);
  if (!ok) return InspectReport(o, kind, std::string("cannot write ") + o.png);
  return 0;
}

int DescribeResource(const InspectOptions& o) {
  ResourceFile* rf = ResourceFileNew();
  if (!rf) return InspectReport(o, "resource", "out of memory");
  const ErrorCode err = ResourceFileOpen(rf, o.file);
  if (err) {
    ResourceFileDelete(rf);
    return InspectReport(o, "resource", "cannot open the resource file (error " + std::to_string(err) + ")");
  }
  if (o.png) {
    const int rc = o.haveItem ? SavePng(o, ResourceFileGetImage(rf, o.item), "resource")
                              : InspectReport(o, "resource", "--png needs --item ID");
    ResourceFileDelete(rf);
    return rc;
  }
  JsonWriter j;
  j.BeginObject().Key("kind").Value("resource").Key("items").BeginArray();
  if (!o.json) std::printf("resource file, %u items\n", rf->count);
  for (uint32_t k = 0; k < rf->count; ++k) {
    const ResourceEntry& e = rf->entries[k];
    j.BeginObject().Key("id").Value(e.id).Key("tag").Value(TagText(e.tag)).Key("offset").Value(e.offset);
    j.Key("size").Value(e.size);
    if (!o.json) std::printf("  id %u  tag %s  offset %u  size %u\n", e.id, TagText(e.tag).c_str(), e.offset, e.size);
    // Texts are shown from the first entry of their id, as the program reads them.
    if (e.tag == kResourceTagText && ResourceFileFind(rf, e.id) == &e) {
      char* text = static_cast<char*>(ResourceFileGetItem(rf, e.id, nullptr, nullptr));
      if (text) {
        const std::string_view t(text, e.size);
        j.Key("text").Value(t);
        Rect rects[64];
        size_t end = 0;
        const int16_t n = RectListParse(t, 64, rects, &end);
        if (!o.json) std::printf("    text: \"%.*s\"\n", static_cast<int>(t.size() > 200 ? 200 : t.size()), text);
        if (n > 0) {
          j.Key("rects").BeginArray();
          for (int16_t i = 0; i < n; ++i) {
            const Rect& r = rects[i];
            j.BeginArray().Value(int32_t{r.left}).Value(int32_t{r.top}).Value(int32_t{r.right}).Value(int32_t{r.bottom}).EndArray();
            if (!o.json) std::printf("    rect %d: %d %d %d %d\n", i, r.left, r.top, r.right, r.bottom);
          }
          j.EndArray();
        }
        MemFree(text);
      }
    }
    j.EndObject();
  }
  j.EndArray().EndObject();
  if (o.json) std::printf("%s\n", j.Text().c_str());
  ResourceFileDelete(rf);
  return 0;
}

int DescribeImage(const InspectOptions& o, std::vector<uint8_t>& bytes) {
  if (o.png) return SavePng(o, ImageLoadFile(o.file), "image");
  ByteReader r(bytes);
  uint32_t version = 0;
  r.U32(&version);
  const std::span<uint8_t> block(bytes.data() + kFileHeaderSize, bytes.size() - kFileHeaderSize);
  ImageBlockHeader h{};
  if (!ImageBlockConvert(block, kToHostOrder) || !ImageBlockHeaderRead(block, &h))
    return InspectReport(o, "image", "the image block's header is cut short or malformed");
  if (h.length > block.size()) return InspectReport(o, "image", "the image block is longer than the file");
  uint32_t colors = 0;
  if (h.colorTableOffset) colors = HostWordAt(block.data() + h.colorTableOffset);
  if (o.json) {
    JsonWriter j;
    j.BeginObject().Key("kind").Value("image").Key("version").Value(version).Key("width").Value(uint32_t{h.width});
    j.Key("height").Value(uint32_t{h.height}).Key("colors").Value(colors).Key("mask").Value(h.maskOffset != 0);
    j.EndObject();
    std::printf("%s\n", j.Text().c_str());
  } else {
    std::printf("image file, version %u, magic FOIM\n  %u x %u, row bytes %u, mask row bytes %u, block %u bytes\n",
                version, h.width, h.height, h.rowBytes, h.maskRowBytes, h.length);
    if (colors)
      std::printf("  colour table: %u entries\n", colors);
    else
      std::printf("  colour table: default\n");
    std::printf("  mask: %s\n", h.maskOffset ? "present" : "none");
  }
  return 0;
}

}  // namespace

int InspectReport(const InspectOptions& o, const char* kind, const std::string& error) {
  if (o.json) {
    JsonWriter j;
    j.BeginObject().Key("kind").Value(kind).Key("error").Value(error).EndObject();
    std::printf("%s\n", j.Text().c_str());
  } else {
    std::fprintf(stderr, "orva-inspect: %s: %s\n", o.file, error.c_str());
  }
  return 1;
}

int InspectFile(int argc, char** argv) {
  InspectOptions o;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0) {
      o.json = true;
    } else if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
      o.png = argv[++i];
    } else if (std::strcmp(argv[i], "--item") == 0 && i + 1 < argc) {
      o.haveItem = true;
      o.item = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
      o.scale = std::atoi(argv[++i]);
      if (o.scale < 1 || o.scale > 8) {
        std::fputs("orva-inspect: --scale takes 1 to 8\n", stderr);
        return 2;
      }
    } else if (!o.file && argv[i][0] != '-') {
      o.file = argv[i];
    } else {
      std::fprintf(stderr, "orva-inspect: unexpected argument %s\n", argv[i]);
      return 2;
    }
  }
  if (!o.file) {
    std::fputs("usage: orva-inspect file FILE [--json] [--png OUT [--scale N]] [--item ID]\n", stderr);
    return 2;
  }
  std::ifstream in(o.file, std::ios::binary);
  if (!in) return InspectReport(o, "unknown", "cannot open the file");
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < kFileHeaderSize) return InspectReport(o, "unknown", "too short for any header");
  const std::string magic(reinterpret_cast<const char*>(bytes.data()) + 4, 4);
  if (magic == "FORS") return DescribeResource(o);
  if (magic == "FOIM") return DescribeImage(o, bytes);
  if (magic == "FOGI") return InspectBuilding(o, bytes, true);
  // Sets carry no magic: whatever converts as one is one.
  return InspectBuilding(o, bytes, false);
}
