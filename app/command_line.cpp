#include "app/command_line.h"

#include <cstring>

#include "net/service.h"
#include "platform/console.h"
#include "shell/motion.h"
#include "net/net_transport.h"
#include "net/session_endpoint.h"

namespace {

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "Usage: salvind [--help] [--version]\n"
               "The desktop lobby client of the Orva online game service.\n"
               "\n"
               "Options:\n"
               "  --help     print this help and exit\n"
               "  --version  print the version and exit\n"
               "\n"
               "Environment:\n"
               "  %s  the lobby server's host name (default: %s)\n"
               "  %s  the lobby server's port (default: %u, or %u when\n"
               "                       data/common/%s exists)\n",
               kServerHostVariable, ServiceServerHost(), kServerPortVariable, kSessionPort, kSessionDebugPort,
               kSessionDebugFileName);
  std::fprintf(out,
               "  %s   \"off\" connects in plain; otherwise always over TLS\n"
               "  %s    one more trusted certificate (a PEM file), for a private\n"
               "                       or demo server\n"
               "  %s   the SHA-256 of the server's public key (64 hex digits),\n"
               "                       trusted in place of the certificates\n",
               kServerTlsVariable, kServerCaVariable, kServerPinVariable);
  std::fprintf(out,
               "  SALVIND_SCALE        1 to 4: every window that many times its size, in\n"
               "                       place of the factor taken from the screen\n"
               "  %s 1 keeps the map still and starts games at once; 0\n"
               "                       animates whatever the desktop asks\n",
               kReducedMotionVariable);
#ifdef _WIN32
  std::fprintf(out, "  LOCALAPPDATA         the player's data folder is %%LOCALAPPDATA%%\\Salvind\n");
#else
  std::fprintf(out,
               "  XDG_DATA_HOME        the player's data folder is $XDG_DATA_HOME/salvind,\n"
               "                       else ~/.local/share/salvind\n");
#endif
}

}  // namespace

bool CommandLineAnswer(int argc, const char* const* argv, std::FILE* out) {
  for (int i = 1; i < argc; ++i) {
    const bool version = std::strcmp(argv[i], "--version") == 0;
    const bool help = std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
    if ((version || help) && out == stdout) PlatformUseParentConsole();
    if (version) {
      std::fprintf(out, "salvind %s\n", SALVIND_VERSION);
      return true;
    }
    if (help) {
      PrintHelp(out);
      return true;
    }
  }
  return false;
}
