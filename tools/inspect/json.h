#pragma once
// A small JSON writer for the tools' --json output: strings are escaped,
// commas placed, nothing else.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

class JsonWriter {
 public:
  JsonWriter& BeginObject() { return Open('{'); }
  JsonWriter& EndObject() { return Close('}'); }
  JsonWriter& BeginArray() { return Open('['); }
  JsonWriter& EndArray() { return Close(']'); }
  // Object member name; the value follows with one of the calls below.
  JsonWriter& Key(std::string_view key) {
    Separate();
    String(key);
    out_ += ':';
    afterKey_ = true;
    return *this;
  }
  JsonWriter& Value(std::string_view s) { Separate(); String(s); return *this; }
  JsonWriter& Value(const char* s) { return Value(std::string_view(s)); }
  JsonWriter& Value(int64_t n) { Separate(); out_ += std::to_string(n); return *this; }
  JsonWriter& Value(uint32_t n) { return Value(static_cast<int64_t>(n)); }
  JsonWriter& Value(int32_t n) { return Value(static_cast<int64_t>(n)); }
  JsonWriter& Value(bool b) { Separate(); out_ += b ? "true" : "false"; return *this; }
  JsonWriter& Null() { Separate(); out_ += "null"; return *this; }
  const std::string& Text() const { return out_; }

 private:
  JsonWriter& Open(char c) { Separate(); out_ += c; first_ = true; return *this; }
  JsonWriter& Close(char c) { out_ += c; first_ = false; return *this; }
  void Separate() {
    if (afterKey_) { afterKey_ = false; return; }
    if (!first_ && !out_.empty()) out_ += ',';
    first_ = false;
  }
  void String(std::string_view s) {
    out_ += '"';
    for (unsigned char c : s) {
      switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        default:
          if (c < 0x20 || c >= 0x7F) {
            // Texts are 8-bit Latin-1: \u00XX keeps them valid JSON.
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out_ += buf;
          } else {
            out_ += static_cast<char>(c);
          }
      }
    }
    out_ += '"';
  }
  std::string out_;
  bool first_ = true;
  bool afterKey_ = false;
};
