#include "protocol/server_build.h"

#include <cstring>

#include "protocol/frame.h"

namespace {

void PutHost32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
void PutHost16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

// Copies at most fieldSize - 1 characters; the rest of the field stays 0.
void PutText(uint8_t* field, uint32_t fieldSize, std::string_view text) {
  const size_t n = std::min<size_t>(text.size(), fieldSize - 1);
  std::memcpy(field, text.data(), n);
}

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// A body of head bytes (in host order, zero) followed by the text and its NUL.
std::vector<uint8_t> TextBody(uint32_t head, std::string_view text) {
  text = UpToNul(text);
  std::vector<uint8_t> body(head + text.size() + 1, 0);
  std::memcpy(body.data() + head, text.data(), text.size());
  return body;
}

}  // namespace

void AccessDeniedBuild(uint16_t reason, uint8_t body[2]) {
  PutHost16(body, reason);
  AccessDeniedConvert(body, 2);
}

void AccessGrantedBuild(uint32_t newestClientVersion, uint32_t disclaimerVersion,
                        uint8_t body[kAccessGrantedLength]) {
  std::memset(body, 0, kAccessGrantedLength);
  PutHost32(body + 4, newestClientVersion);
  PutHost32(body + 8, disclaimerVersion);
  AccessGrantedConvert(body, kAccessGrantedLength);
}

void RoomInfoBuild(const RoomInfoFields& room, uint8_t body[kRoomInfoLength]) {
  std::memset(body, 0, kRoomInfoLength);
  PutHost32(body + 0, room.roomId);
  PutHost32(body + 4, room.address);
  PutHost16(body + 8, room.port);
  PutHost16(body + 10, room.spare);
  PutText(body + 12, 31, room.gameName);
  PutText(body + 44, 16, room.imageFile);
  PutHost32(body + 60, room.imageVersion);
  RoomInfoConvert(body, kRoomInfoLength);
}

void RoomStatusBuild(uint32_t roomId, uint32_t players, uint16_t state, uint8_t body[kRoomStatusLength]) {
  std::memset(body, 0, kRoomStatusLength);
  PutHost32(body + 0, roomId);
  PutHost32(body + 4, players);
  PutHost16(body + 8, state);
  RoomStatusConvert(body, kRoomStatusLength);
}

std::vector<uint8_t> WelcomeTextBuild(std::string_view text) {
  std::vector<uint8_t> body = TextBody(4, text);
  WelcomeTextConvert(body.data(), static_cast<uint32_t>(body.size()));
  return body;
}

std::vector<uint8_t> DisclaimerBuild(uint32_t version, std::string_view text) {
  std::vector<uint8_t> body = TextBody(8, text);
  PutHost32(body.data(), version);
  DisclaimerConvert(body.data(), static_cast<uint32_t>(body.size()));
  return body;
}

std::vector<uint8_t> ServerAlertBuild(std::string_view text) {
  std::vector<uint8_t> body = TextBody(2, text);
  ServerAlertConvert(body.data(), static_cast<uint32_t>(body.size()));
  return body;
}

std::vector<uint8_t> GameImageBuild(uint32_t roomId, std::span<const uint8_t> set) {
  std::vector<uint8_t> body(4 + set.size());
  PutHost32(body.data(), roomId);
  if (!set.empty()) std::memcpy(body.data() + 4, set.data(), set.size());
  GameImageConvert(body.data(), static_cast<uint32_t>(body.size()));
  return body;
}

bool FrameAppend(std::vector<uint8_t>* out, uint32_t type, std::span<const uint8_t> body) {
  if (body.size() > kFrameMaxPadded) return false;
  const auto length = static_cast<uint32_t>(body.size());
  const size_t start = out->size();
  out->resize(start + kFrameHeaderSize + FramePadded(length), 0);
  FrameHeaderStore(out->data() + start, type, length);
  if (length) std::memcpy(out->data() + start + kFrameHeaderSize, body.data(), length);
  return true;
}
