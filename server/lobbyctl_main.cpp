// orva-lobbyctl --config FILE COMMAND...: talks to a running orva-lobbyd
// over its admin socket.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "server/admin_client.h"
#include "server/config.h"
#include "server/program_info.h"

namespace {

constexpr char kUsage[] =
    "usage: orva-lobbyctl --config FILE COMMAND\n"
    "commands:\n"
    "  alert TEXT               a server alert to every admitted client\n"
    "  room ID open|full|close  change a room's state\n"
    "  room ID players N        change a room's number of players\n"
    "  users                    who is online\n"
    "  lock USER | unlock USER  lock or unlock an account\n"
    "  kick USER                disconnect a user\n"
    "  stats                    the server's figures\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (ProgramInfoAnswer(argc, argv, "orva-lobbyctl", kUsage)) return 0;
  if (argc < 4 || std::strcmp(argv[1], "--config") != 0) return Usage();
  ServerConfig config;
  std::string error;
  if (!ConfigLoad(argv[2], &config, &error)) {
    std::fprintf(stderr, "orva-lobbyctl: %s: %s\n", argv[2], error.c_str());
    return 2;
  }
  const std::vector<std::string> words(argv + 3, argv + argc);
  std::string answer;
  if (!AdminRequest(ConfigAdminSocketPath(config), words, &answer)) {
    std::fprintf(stderr, "orva-lobbyctl: %s\n", answer.c_str());
    return 1;
  }
  std::fputs(answer.c_str(), stdout);
  return answer.rfind("ok", 0) == 0 ? 0 : 1;
}
