#include "net/session_endpoint.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "media/resource_file.h"
#include "net/service.h"
#include "shell/data_path.h"

uint16_t SessionPortChoose() {
  ResourceFile* rf = ResourceFileNew();
  if (!rf) return kSessionPort;
  const bool debug = ResourceFileOpen(rf, CommonDataPath(kSessionDebugFileName)) == 0;
  ResourceFileDelete(rf);
  return debug ? kSessionDebugPort : kSessionPort;
}

uint16_t SessionPortParse(const char* text) {
  if (!text || !*text) return 0;
  uint32_t value = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return 0;
    value = value * 10 + static_cast<uint32_t>(*p - '0');
    if (value > 65535) return 0;
  }
  return static_cast<uint16_t>(value);
}

SessionEndpoint SessionEndpointGet() {
  SessionEndpoint e{};
  const char* host = std::getenv(kServerHostVariable);
  if (!host || !*host || std::strlen(host) >= sizeof e.host) host = ServiceServerHost();
  std::snprintf(e.host, sizeof e.host, "%s", host);
  const uint16_t port = SessionPortParse(std::getenv(kServerPortVariable));
  e.port = port ? port : SessionPortChoose();
  return e;
}
