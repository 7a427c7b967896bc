#pragma once
// The messages the lobby server sends, built as wire-order bodies through
// the catalogue's conversion routines, and framed whole.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "protocol/messages.h"

inline constexpr uint32_t kAccessGrantedLength = 12;
inline constexpr uint32_t kRoomStatusLength = 10;

// Room states in RoomStatus.
enum : uint16_t { kRoomOpen = 1, kRoomFull = 2, kRoomClosed = 3 };

struct RoomInfoFields {
  uint32_t roomId;
  uint32_t address;  // IPv4 as a number
  uint16_t port;
  uint16_t spare;
  std::string_view gameName;   // at most 30 characters are sent
  std::string_view imageFile;  // at most 15
  uint32_t imageVersion;
};

void AccessDeniedBuild(uint16_t reason, uint8_t body[2]);
void AccessGrantedBuild(uint32_t newestClientVersion, uint32_t disclaimerVersion,
                        uint8_t body[kAccessGrantedLength]);
void RoomInfoBuild(const RoomInfoFields& room, uint8_t body[kRoomInfoLength]);
void RoomStatusBuild(uint32_t roomId, uint32_t players, uint16_t state, uint8_t body[kRoomStatusLength]);
// Texts stop at an embedded NUL; each body ends with the text's terminator.
std::vector<uint8_t> WelcomeTextBuild(std::string_view text);
std::vector<uint8_t> DisclaimerBuild(uint32_t version, std::string_view text);
std::vector<uint8_t> ServerAlertBuild(std::string_view text);
// The set's bytes follow the room id unchanged.
std::vector<uint8_t> GameImageBuild(uint32_t roomId, std::span<const uint8_t> set);

// Appends one whole message (header, body, padding) to out. False, with out
// unchanged, when the body is above the framing's limit.
bool FrameAppend(std::vector<uint8_t>* out, uint32_t type, std::span<const uint8_t> body);
