#pragma once
// The real lobby server in the test process: a temporary directory with a
// configuration, small building image sets, the welcome and disclaimer
// texts, and the server's loop on a thread of its own. Clients talk to it
// over 127.0.0.1 on an ephemeral port through the shared protocol library.

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/config.h"

struct ssl_ctx_st;
struct ssl_st;
#include "server/lobby_server.h"

inline constexpr const char* kWelcomeText = "Welcome to the test lobby!\nHave fun.";
inline constexpr const char* kDisclaimerText = "Play fair.\nBe kind.";
inline constexpr uint32_t kDisclaimerVersion = 7;
inline constexpr uint32_t kNewestClientVersion = 0x00010100u;

// A building image set: the 24-byte header with a rectangle and no
// animations, then extra bytes so that no two sets are alike.
std::vector<uint8_t> TestSet(int16_t left, int16_t top, int16_t right, int16_t bottom, size_t extra);

// A fresh temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
  void Write(const std::string& name, const std::string& text) const;

 private:
  std::string path_;
};

// The default test configuration: three rooms (the second closed), fast
// hashes, long echo times, listening on 127.0.0.1 port 0.
ServerConfig TestConfig(const TempDir& dir);
// Writes the texts and the sets TestConfig names into dir.
void WriteTestFiles(const TempDir& dir);

class TestLobby {
 public:
  explicit TestLobby(const ServerConfig& config);
  ~TestLobby();
  bool Started() const { return started_; }
  uint16_t Port() const { return port_; }
  // One admin command over the admin socket; its answer.
  std::string Admin(const std::vector<std::string>& words) const;
  void Stop();

 private:
  ServerConfig config_;
  asio::io_context io_;
  std::unique_ptr<LobbyServer> server_;
  std::thread thread_;
  bool started_ = false;
  uint16_t port_ = 0;
};

struct Frame {
  uint32_t type = 0;
  std::vector<uint8_t> body;  // data bytes only, padding removed
};

// A blocking client with every wait bounded.
class TestClient {
 public:
  TestClient() = default;
  ~TestClient();
  TestClient(const TestClient&) = delete;
  TestClient& operator=(const TestClient&) = delete;

  // Connects to 127.0.0.1:port from source (another loopback address such
  // as "127.0.0.2" stands for another client machine).
  bool Connect(uint16_t port, const char* source = "127.0.0.1");
  // Connect, then a TLS handshake that trusts caFile alone and checks the
  // name 127.0.0.1; everything after it goes over TLS.
  bool ConnectTls(uint16_t port, const std::string& caFile);
  bool SendRaw(const std::vector<uint8_t>& bytes);
  bool Send(uint32_t type, const std::vector<uint8_t>& body);
  // The next whole frame; false on time-out or when the server closed.
  bool Read(Frame* frame, int timeoutMs = 5000);
  // The next frame that is not one of the server's echoes.
  bool ReadSkippingEchoes(Frame* frame, int timeoutMs = 5000);
  // True once the server has closed the connection (data before it is
  // thrown away).
  bool WaitClosed(int timeoutMs = 5000);
  // Sends an AccessRequest built by the client's own builder.
  bool RequestAccess(const std::string& name, const std::string& password, bool newUser = false,
                     const std::string& fullName = "Test User");
  // RequestAccess, then the first answer's type (0 when none came); an
  // AccessDenied's reason goes to *reason.
  uint32_t Login(const std::string& name, const std::string& password, bool newUser = false,
                 uint16_t* reason = nullptr);
  // Login that must be granted, reading every admission message after it.
  bool Admitted(const std::string& name, const std::string& password, bool newUser = false);

 private:
  bool ReadExact(uint8_t* out, size_t n, int timeoutMs);
  // recv or SSL_read, send or SSL_write: bytes moved, 0 at the end, -1 on error.
  long Receive(uint8_t* out, size_t n);
  long Transmit(const uint8_t* bytes, size_t n);
  bool Waiting(int timeoutMs);
  int fd_ = -1;
  ssl_ctx_st* tlsContext_ = nullptr;
  ssl_st* tls_ = nullptr;
};

uint16_t DeniedReason(const Frame& frame);
