// The stand-in game on Windows: a window that tells whom the lobby sent and
// where to. Linked under the name of every demo room's game; the lobby starts
// it as `games\<game>.exe <user> <address> <port>` and finds it again by its
// title, "Orva:<game> <user>".

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string g_lines[3];

LRESULT CALLBACK GameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      SetBkMode(dc, TRANSPARENT);
      for (int i = 0; i < 3; ++i) {
        TextOutA(dc, 12, 12 + 24 * i, g_lines[i].c_str(), static_cast<int>(g_lines[i].size()));
      }
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

// The game's name is the program's file name without its folder and suffix.
std::string GameName(const char* path) {
  std::string name = path ? path : "game";
  const size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string game = GameName(argc > 0 ? argv[0] : nullptr);
  const std::string user = argc > 1 ? argv[1] : "(nobody)";
  const std::string address = argc > 2 ? argv[2] : "0";
  const std::string port = argc > 3 ? argv[3] : "0";
  // The lobby passes the game server's address as one decimal number.
  char* end = nullptr;
  const unsigned long number = std::strtoul(address.c_str(), &end, 10);
  char dotted[32] = "?";
  if (end && *end == '\0' && !address.empty()) {
    std::snprintf(dotted, sizeof dotted, "%lu.%lu.%lu.%lu", (number >> 24) & 0xFF,
                  (number >> 16) & 0xFF, (number >> 8) & 0xFF, number & 0xFF);
  }
  g_lines[0] = game;
  g_lines[1] = "Player: " + user;
  g_lines[2] = std::string("Game server: ") + dotted + " (" + address + "), port " + port;

  WNDCLASSA gameClass = {};
  gameClass.lpfnWndProc = &GameProc;
  gameClass.hInstance = GetModuleHandleA(nullptr);
  gameClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  gameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  gameClass.lpszClassName = "OrvaSampleGameWindow";
  if (!RegisterClassA(&gameClass)) return 1;
  const std::string title = "Orva:" + game + " " + user;
  HWND window = CreateWindowExA(0, gameClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 360, 140, nullptr, nullptr,
                                gameClass.hInstance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOWNORMAL);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
