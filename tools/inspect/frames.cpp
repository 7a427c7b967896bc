#include "tools/inspect/frames.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "core/byte_reader.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "tools/inspect/commands.h"
#include "tools/inspect/json.h"

namespace {

using FieldValue = std::variant<int64_t, std::string>;

struct Described {
  uint64_t offset = 0;
  bool header = false;  // type and lengths are known
  uint32_t type = 0;
  uint32_t padded = 0;
  uint32_t length = 0;
  std::vector<std::pair<std::string, FieldValue>> fields;
  std::string error;
};

const char* NameOf(uint32_t type) {
  if (const char* name = MessageName(type)) return name;
  return MessageIsSystem(type) ? "system" : "unknown";
}

// The fields of a body that arrived whole; an error when it breaks its layout.
void DecodeBody(Described& d, const uint8_t* body) {
  const MessageLayout* layout = MessageLayoutOf(d.type, body, d.length);
  if (!layout) return;
  if (!MessageBodyCheck(d.type, body, d.length)) {
    d.error = d.length < layout->minLength
                  ? "body of " + std::to_string(d.length) + " bytes is shorter than its layout (" +
                        std::to_string(layout->minLength) + ")"
                  : "entries do not fit in the body";
    return;
  }
  for (uint32_t i = 0; i < layout->fieldCount; ++i) {
    const MessageField& f = layout->fields[i];
    if (!f.name) continue;
    switch (f.kind) {
      case FieldKind::kU16:
        d.fields.emplace_back(f.name, int64_t{LoadBe16(body + f.offset)});
        break;
      case FieldKind::kU32:
        d.fields.emplace_back(f.name, int64_t{LoadBe32(body + f.offset)});
        break;
      case FieldKind::kText: {
        std::string text(d.length + 1, '\0');
        if (!MessageCopyText(text.data(), text.size(), body, d.length, f.offset, f.size) && d.error.empty()) {
          d.error = std::string("text ") + f.name + " does not end inside its field";
        }
        text.resize(std::strlen(text.c_str()));
        d.fields.emplace_back(f.name, std::move(text));
        break;
      }
    }
  }
  if (d.type == kMessageGameImage) d.fields.emplace_back("set_length", int64_t{d.length - 4});
}

std::vector<Described> Walk(std::span<const uint8_t> stream) {
  std::vector<Described> out;
  size_t at = 0;
  while (at < stream.size()) {
    Described& d = out.emplace_back();
    d.offset = at;
    const size_t left = stream.size() - at;
    if (left < kFrameHeaderSize) {
      d.error = "truncated header: " + std::to_string(left) + " of 12 bytes";
      break;
    }
    const uint8_t* p = stream.data() + at;
    d.header = true;
    d.type = LoadBe32(p);
    d.padded = LoadBe32(p + 4);
    d.length = LoadBe32(p + 8);
    at += kFrameHeaderSize;
    const size_t bodyLeft = stream.size() - at;
    const FrameFault fault = FrameCheck(d.padded, d.length);
    if (fault != kFrameOk) d.error = std::string("broken frame: ") + FrameFaultText(fault);
    if (d.padded > bodyLeft) {
      if (!d.error.empty()) d.error += "; ";
      d.error += "truncated body: " + std::to_string(bodyLeft) + " of " + std::to_string(d.padded) + " bytes";
      break;
    }
    if (fault == kFrameOk) DecodeBody(d, stream.data() + at);
    at += d.padded;
  }
  return out;
}

void Json(JsonWriter& w, const Described& d) {
  w.BeginObject();
  w.Key("offset").Value(static_cast<int64_t>(d.offset));
  if (d.header) {
    w.Key("type").Value(d.type);
    w.Key("name").Value(NameOf(d.type));
    w.Key("padded").Value(d.padded);
    w.Key("length").Value(d.length);
  }
  w.Key("fields").BeginObject();
  for (const auto& [key, value] : d.fields) {
    w.Key(key);
    if (const int64_t* n = std::get_if<int64_t>(&value)) w.Value(*n);
    else w.Value(std::get<std::string>(value));
  }
  w.EndObject();
  if (!d.error.empty()) w.Key("error").Value(d.error);
  w.EndObject();
}

std::string Line(const Described& d) {
  std::string line = std::to_string(d.offset) + ":";
  if (d.header) {
    line += std::string(" ") + NameOf(d.type) + " type=" + std::to_string(d.type) +
            " padded=" + std::to_string(d.padded) + " length=" + std::to_string(d.length);
  }
  for (const auto& [key, value] : d.fields) {
    line += " " + key + "=";
    if (const int64_t* n = std::get_if<int64_t>(&value)) {
      line += std::to_string(*n);
    } else {
      // A JSON string is a quoted text with every control byte escaped: one line.
      JsonWriter quoted;
      quoted.Value(std::get<std::string>(value));
      line += quoted.Text();
    }
  }
  if (!d.error.empty()) line += " error: " + d.error;
  return line + "\n";
}

}  // namespace

std::string FramesDescribe(std::span<const uint8_t> stream, bool json, bool* clean) {
  const std::vector<Described> messages = Walk(stream);
  *clean = true;
  for (const Described& d : messages) {
    if (!d.error.empty()) *clean = false;
  }
  if (!json) {
    std::string text;
    for (const Described& d : messages) text += Line(d);
    return text;
  }
  JsonWriter w;
  w.BeginArray();
  for (const Described& d : messages) Json(w, d);
  w.EndArray();
  return w.Text() + "\n";
}

int InspectFrames(int argc, char** argv) {
  const char* path = nullptr;
  bool json = false;
  int paths = 0;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0) {
      json = true;
    } else {
      path = argv[i];
      ++paths;
    }
  }
  if (paths != 1) {
    std::fputs("usage: orva-inspect frames FILE [--json]\n", stderr);
    return 2;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "orva-inspect: cannot open %s\n", path);
    return 2;
  }
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  bool clean = false;
  const std::string out = FramesDescribe(bytes, json, &clean);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return clean ? 0 : 1;
}
