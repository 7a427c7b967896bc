#include "tests/server/lobby_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <openssl/ssl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/byte_reader.h"
#include "core/memory.h"
#include "protocol/frame.h"
#include "protocol/message_build.h"
#include "protocol/messages.h"
#include "server/admin_client.h"
#include "server/password_hash.h"

std::vector<uint8_t> TestSet(int16_t left, int16_t top, int16_t right, int16_t bottom, size_t extra) {
  std::vector<uint8_t> set(24 + extra, 0);
  StoreBe16(set.data() + 4, static_cast<uint16_t>(left));
  StoreBe16(set.data() + 6, static_cast<uint16_t>(top));
  StoreBe16(set.data() + 8, static_cast<uint16_t>(right));
  StoreBe16(set.data() + 10, static_cast<uint16_t>(bottom));
  for (size_t i = 0; i < extra; ++i) set[24 + i] = static_cast<uint8_t>(i * 7 + left);
  return set;
}

TempDir::TempDir() {
  char pattern[] = "/tmp/orva-lobby-test-XXXXXX";
  const char* made = mkdtemp(pattern);
  path_ = made ? made : "";
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

void TempDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
  std::filesystem::create_directories(std::filesystem::path(File(name)).parent_path());
  std::FILE* f = std::fopen(File(name).c_str(), "wb");
  if (!f) return;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

void TempDir::Write(const std::string& name, const std::string& text) const {
  Write(name, std::vector<uint8_t>(text.begin(), text.end()));
}

ServerConfig TestConfig(const TempDir& dir) {
  ServerConfig c;
  c.listenHost = "127.0.0.1";
  c.listenPort = 0;
  c.dataDir = dir.File("state");
  c.maxPlayers = 10;
  c.newestClientVersion = kNewestClientVersion;
  c.minRequestVersion = 1;
  c.lockoutFailures = 3;
  c.echoIntervalS = 600;
  c.echoTimeoutS = 600;
  c.requestTimeoutS = 30;
  c.maxConnections = 64;
  c.maxConnectionsPerAddress = 32;
  c.hashWorkers = 2;
  c.hash = HashStrength::kFast;
  c.disclaimerVersion = kDisclaimerVersion;
  c.disclaimerFile = dir.File("disclaimer.txt");
  c.welcomeFile = dir.File("welcome.txt");
  c.rooms = {
      {1, "chess", 0x7F000001u, 2101, "chess.ogi", 3, dir.File("sets/chess.set"), RoomState::kOpen, 4},
      {2, "cards", 0x0A000002u, 2102, "cards.ogi", 1, dir.File("sets/cards.set"), RoomState::kClosed, 0},
      {9, "go", 0xC0A80101u, 2109, "go.ogi", 2, dir.File("sets/go.set"), RoomState::kFull, 2},
  };
  return c;
}

void WriteTestFiles(const TempDir& dir) {
  dir.Write("welcome.txt", std::string(kWelcomeText));
  dir.Write("disclaimer.txt", std::string(kDisclaimerText));
  dir.Write("sets/chess.set", TestSet(10, 20, 110, 120, 40));
  dir.Write("sets/cards.set", TestSet(200, 20, 300, 120, 0));
  dir.Write("sets/go.set", TestSet(300, 200, 400, 300, 3));
}

TestLobby::TestLobby(const ServerConfig& config) : config_(config) {
  PasswordHashInit();
  std::filesystem::create_directories(config.dataDir);
  std::string error;
  auto store = AccountStoreOpen(config, &error);
  if (!store) {
    std::fprintf(stderr, "test lobby: %s\n", error.c_str());
    return;
  }
  server_ = std::make_unique<LobbyServer>(io_, config, std::move(store));
  if (!server_->Start(&error)) {
    std::fprintf(stderr, "test lobby: %s\n", error.c_str());
    return;
  }
  port_ = server_->Port();
  started_ = true;
  thread_ = std::thread([this] { io_.run(); });
}

TestLobby::~TestLobby() { Stop(); }

void TestLobby::Stop() {
  if (thread_.joinable()) {
    asio::post(io_, [this] { server_->Stop(); });
    thread_.join();
  }
  server_.reset();
}

std::string TestLobby::Admin(const std::vector<std::string>& words) const {
  std::string answer;
  AdminRequest(ConfigAdminSocketPath(config_), words, &answer);
  return answer;
}

TestClient::~TestClient() {
  if (tls_) SSL_free(tls_);
  if (tlsContext_) SSL_CTX_free(tlsContext_);
  if (fd_ >= 0) close(fd_);
}

bool TestClient::Connect(uint16_t port, const char* source) {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in from = {};
  from.sin_family = AF_INET;
  if (fd_ < 0 || inet_pton(AF_INET, source, &from.sin_addr) != 1 ||
      bind(fd_, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) {
    return false;
  }
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  const int one = 1;
  setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
}

bool TestClient::ConnectTls(uint16_t port, const std::string& caFile) {
  if (!Connect(port)) return false;
  tlsContext_ = SSL_CTX_new(TLS_client_method());
  if (!tlsContext_ || SSL_CTX_load_verify_locations(tlsContext_, caFile.c_str(), nullptr) != 1) return false;
  SSL_CTX_set_verify(tlsContext_, SSL_VERIFY_PEER, nullptr);
  tls_ = SSL_new(tlsContext_);
  if (!tls_ || SSL_set1_host(tls_, "127.0.0.1") != 1 || SSL_set_fd(tls_, fd_) != 1) return false;
  // The handshake blocks; a server that never answers is cut off here.
  timeval limit = {5, 0};
  setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  return SSL_connect(tls_) == 1;
}

long TestClient::Receive(uint8_t* out, size_t n) {
  if (!tls_) return recv(fd_, out, n, 0);
  const int r = SSL_read(tls_, out, static_cast<int>(n));
  return r > 0 ? r : SSL_get_error(tls_, r) == SSL_ERROR_ZERO_RETURN ? 0 : -1;
}

long TestClient::Transmit(const uint8_t* bytes, size_t n) {
  if (!tls_) return send(fd_, bytes, n, MSG_NOSIGNAL);
  const int r = SSL_write(tls_, bytes, static_cast<int>(n));
  return r > 0 ? r : -1;
}

bool TestClient::Waiting(int timeoutMs) {
  // Bytes already decrypted do not show on the socket.
  if (tls_ && SSL_pending(tls_) > 0) return true;
  pollfd p = {fd_, POLLIN, 0};
  return timeoutMs > 0 && poll(&p, 1, timeoutMs) == 1;
}

bool TestClient::SendRaw(const std::vector<uint8_t>& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const long n = Transmit(bytes.data() + sent, bytes.size() - sent);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

bool TestClient::Send(uint32_t type, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> frame(kFrameHeaderSize + FramePadded(static_cast<uint32_t>(body.size())), 0);
  FrameHeaderStore(frame.data(), type, static_cast<uint32_t>(body.size()));
  std::copy(body.begin(), body.end(), frame.begin() + kFrameHeaderSize);
  return SendRaw(frame);
}

bool TestClient::ReadExact(uint8_t* out, size_t n, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  size_t got = 0;
  while (got < n) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (!Waiting(static_cast<int>(left.count()))) return false;
    const long r = Receive(out + got, n - got);
    if (r <= 0) return false;
    got += static_cast<size_t>(r);
  }
  return true;
}

bool TestClient::Read(Frame* frame, int timeoutMs) {
  uint8_t header[kFrameHeaderSize];
  if (!ReadExact(header, sizeof header, timeoutMs)) return false;
  const uint32_t padded = LoadBe32(header + 4);
  const uint32_t length = LoadBe32(header + 8);
  if (FrameCheck(padded, length) != kFrameOk) return false;
  std::vector<uint8_t> body(padded);
  if (padded && !ReadExact(body.data(), padded, timeoutMs)) return false;
  body.resize(length);
  frame->type = LoadBe32(header);
  frame->body = std::move(body);
  return true;
}

bool TestClient::ReadSkippingEchoes(Frame* frame, int timeoutMs) {
  for (;;) {
    if (!Read(frame, timeoutMs)) return false;
    if (frame->type != kMessageEcho) return true;
  }
}

bool TestClient::WaitClosed(int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  uint8_t scratch[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (!Waiting(static_cast<int>(left.count()))) return false;
    const long r = Receive(scratch, sizeof scratch);
    if (r <= 0) return true;
  }
}

bool TestClient::RequestAccess(const std::string& name, const std::string& password, bool newUser,
                               const std::string& fullName) {
  AccessRequestDetails d = {name.c_str(), password.c_str(), 2, static_cast<uint16_t>(newUser ? 1 : 0),
                            fullName.c_str(), "someone@example.org", "Likes chess."};
  uint32_t length = 0;
  uint8_t* body = AccessRequestBuild(&d, &length);
  const bool ok = body && Send(kMessageAccessRequest, std::vector<uint8_t>(body, body + length));
  MemFree(body);
  return ok;
}

uint32_t TestClient::Login(const std::string& name, const std::string& password, bool newUser, uint16_t* reason) {
  Frame answer;
  if (!RequestAccess(name, password, newUser) || !ReadSkippingEchoes(&answer)) return 0;
  if (reason && answer.type == kMessageAccessDenied) *reason = DeniedReason(answer);
  return answer.type;
}

bool TestClient::Admitted(const std::string& name, const std::string& password, bool newUser) {
  if (Login(name, password, newUser) != kMessageAccessGranted) return false;
  Frame frame;
  while (ReadSkippingEchoes(&frame)) {
    if (frame.type == kMessageWelcomeText) return true;
  }
  return false;
}

uint16_t DeniedReason(const Frame& frame) {
  return frame.type == kMessageAccessDenied && frame.body.size() >= 2 ? LoadBe16(frame.body.data()) : 0;
}
