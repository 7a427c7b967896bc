#pragma once
// A stand-in for the lobby server on 127.0.0.1 (an ephemeral port): takes one
// connection, records every byte the client sends and can answer.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class ScriptedPeer {
 public:
  ScriptedPeer();  // listening at once; port() is 0 when it could not
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  uint16_t port() const { return port_; }
  // Accepts the client (if not yet) and reads until at least count bytes
  // have come in all, or timeout. Everything received so far.
  const std::vector<uint8_t>& WaitForBytes(size_t count, std::chrono::milliseconds timeout);
  const std::vector<uint8_t>& received() const { return received_; }
  bool Send(const std::vector<uint8_t>& bytes);

 private:
  int listener_ = -1;
  int connection_ = -1;
  uint16_t port_ = 0;
  std::vector<uint8_t> received_;
};

// A server alert frame as the service sends it: header {type 0xFFFFFFFF,
// padded length, length}, big-endian, then a 16-bit field and the text.
std::vector<uint8_t> ServerAlertFrame(const std::string& text);

// A port on 127.0.0.1 where nothing listens, held for the holder's lifetime:
// connecting to it is refused at once.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;
  uint16_t port() const { return port_; }

 private:
  int socket_ = -1;
  uint16_t port_ = 0;
};
