#pragma once
// Where the session connects: the built-in lobby server host and the port
// chosen at each connect. For tests and local runs, SALVIND_SERVER_HOST and
// SALVIND_SERVER_PORT override them; unset, nothing changes.

#include <cstddef>
#include <cstdint>

inline constexpr uint16_t kSessionPort = 2000;
inline constexpr uint16_t kSessionDebugPort = 2500;
// The debug switch, looked for in data/common.
inline constexpr char kSessionDebugFileName[] = "odebug.ors";
inline constexpr char kServerHostVariable[] = "SALVIND_SERVER_HOST";
inline constexpr char kServerPortVariable[] = "SALVIND_SERVER_PORT";
inline constexpr size_t kServerHostSize = 256;

struct SessionEndpoint {
  char host[kServerHostSize];
  uint16_t port;
};

// 2500 when data/common/odebug.ors opens as a resource file, else 2000.
// Nothing is read from the file.
uint16_t SessionPortChoose();
// A port from text: 1 to 65535 in decimal digits only; 0 for anything else.
uint16_t SessionPortParse(const char* text);
// The endpoint of the next connect: the built-in host unless
// SALVIND_SERVER_HOST is set to a non-empty name that fits, and the chosen
// port unless SALVIND_SERVER_PORT holds a valid port.
SessionEndpoint SessionEndpointGet();
