#include "net/session.h"

#include "core/memory.h"
#include "lobby/disclaimer_window.h"
#include "lobby/gate.h"
#include "lobby/lobby_window.h"
#include "lobby/login_details.h"
#include "lobby/login_window.h"
#include "lobby/room.h"
#include "lobby/status_window.h"
#include "lobby/welcome_window.h"
#include "net/connection.h"
#include "net/message_send.h"
#include "net/session_endpoint.h"
#include "shell/os_services.h"
#include "shell/program_quit.h"
#include "toolkit/alert.h"
#include "toolkit/window.h"
#include "windows/alert_box.h"
#include "windows/info_box.h"

SessionState g_session = {};

namespace {

constexpr uint16_t kInfoBoxWidth = 300;

// The progress box over the main window; the session goes on without one
// when it cannot be made.
void ShowInfoBox(const char* text) {
  InfoBox* box = InfoBoxNew();
  if (!box) return;
  if (InfoBoxInit(box, g_gate.window, text, kInfoBoxWidth, 0, 0) != 0) {
    InfoBoxDelete(box);
    return;
  }
  g_session.infoBox = box;
  InfoBoxShow(box);
}

void DeleteInfoBox() {
  InfoBoxDelete(g_session.infoBox);
  g_session.infoBox = nullptr;
}

void DestroyConnection() {
  ConnectionDestroy(g_session.connection);
  g_session.connection = nullptr;
}

}  // namespace

ErrorCode SessionConnect() {
  // Every connect starts afresh; what a refused attempt left goes first.
  DestroyConnection();
  DeleteInfoBox();
  ShowInfoBox("Connecting to the Orva server ...");

  const SessionEndpoint endpoint = SessionEndpointGet();
  g_session.connection = ConnectionNew();
  if (!g_session.connection) {
    Alert("Out of memory.", nullptr);
    return kErrorOutOfMemory;
  }
  const ErrorCode opened = ConnectionOpen(g_session.connection, endpoint.host, 0, endpoint.port, &SessionOnEvent);
  if (opened != 0) {
    DestroyConnection();
    Alert("Failed to connect to the Orva server.", nullptr);
    return opened;
  }

  if (g_session.infoBox) InfoBoxSetText(g_session.infoBox, "Requesting access ...");
  const AccessRequestDetails details = LoginDetailsToAccessRequest(&g_loginDetails, OsKind());
  const ErrorCode sent = AccessRequestSend(g_session.connection, &details);
  if (sent != 0) {
    DestroyConnection();
    Alert("Out of memory.", nullptr);
    return sent;
  }
  return 0;
}

namespace {

void SayTerminatedAndShutdown() {
  Alert("Connection to the Orva server has been terminated. Exiting.", nullptr);
  SessionShutdown();
}

}  // namespace

void SessionOnEvent(Connection*, int16_t event) {
  if (event == kConnectionMessageQueued) {
    SessionHandleMessage();
  } else if (event == kConnectionClosed) {
    // A server that says why it hangs up (another log-in, a kick) sends its
    // alert first: it is read before the program ends, not hidden under
    // the box whose "OK" ends it.
    AlertBoxAfterAll(&SayTerminatedAndShutdown);
  }
}

void SessionShutdown() {
  // The screens over the main window go with it; none of them may outlive
  // the window that owns them.
  DisclaimerClose();
  CloseLoginWindow();
  DeleteInfoBox();
  StatusWindowHide();
  if (g_status.window) {
    Window* status = g_status.window;
    g_status.window = nullptr;
    WindowDelete(status);
  }
  LobbyDeletePictures();
  WelcomeWindowDelete();
  GateDiscardPicture();
  LobbyDeleteSysOpButton();
  DestroyConnection();
  if (g_gate.window) {
    Window* window = g_gate.window;
    g_gate.window = nullptr;
    WindowDelete(window);
  }
  // After the window: the buildings' animations draw into it until then.
  RoomListDelete();
  GateDeleteTimer();
  ProgramQuit();
}
