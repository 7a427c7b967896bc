#include "tests/display/access_request_frame.h"

#include <initializer_list>

#include "core/memory.h"
#include "protocol/frame.h"
#include "protocol/message_build.h"
#include "protocol/messages.h"
#include "shell/os_services.h"

namespace {

std::vector<uint8_t> BigEndian(std::initializer_list<uint32_t> values) {
  std::vector<uint8_t> bytes;
  for (const uint32_t v : values) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
  }
  return bytes;
}

std::vector<uint8_t> Framed(AccessRequestDetails details) {
  details.osKind = OsKind();
  uint32_t length = 0;
  uint8_t* body = AccessRequestBuild(&details, &length);
  if (!body) return {};
  std::vector<uint8_t> frame = BigEndian({kMessageAccessRequest, FramePadded(length), length});
  frame.insert(frame.end(), body, body + length);
  frame.resize(kFrameHeaderSize + FramePadded(length), 0);
  MemFree(body);
  return frame;
}

}  // namespace

std::vector<uint8_t> AccessRequestFrame(const char* user, const char* password) {
  AccessRequestDetails details{};
  details.userName = user;
  details.password = password;
  return Framed(details);
}

std::vector<uint8_t> RegistrationFrame(const char* user, const char* password, const char* fullName) {
  AccessRequestDetails details{};
  details.userName = user;
  details.password = password;
  details.newUser = 1;
  details.fullName = fullName;
  details.email = "";
  details.personalInfo = "";
  return Framed(details);
}

std::string AccessRequestNames(const std::vector<uint8_t>& frame) {
  // Both are NUL-ended text fields of 32 bytes, at 8 and 40 in the body.
  const auto field = [&](size_t offset) {
    std::string text;
    for (size_t i = kFrameHeaderSize + offset; i < frame.size() && i < kFrameHeaderSize + offset + 32 && frame[i];
         ++i) {
      text += static_cast<char>(frame[i]);
    }
    return text;
  };
  return "user \"" + field(8) + "\", password \"" + field(40) + "\"";
}
