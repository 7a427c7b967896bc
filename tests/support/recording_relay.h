#pragma once
// A relay on 127.0.0.1 between a client and a server, on a thread of its
// own, that keeps every byte the client sent: what anyone on the path would
// read. One client connection at a time; bounded waits throughout.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class RecordingRelay {
 public:
  // Listens on an ephemeral port and forwards to 127.0.0.1:target.
  explicit RecordingRelay(uint16_t target);
  ~RecordingRelay();
  RecordingRelay(const RecordingRelay&) = delete;
  RecordingRelay& operator=(const RecordingRelay&) = delete;

  uint16_t Port() const { return port_; }
  // Every byte the client has sent so far.
  std::vector<uint8_t> FromClient();
  // The content types of the TLS records in what the client sent (0x16
  // handshake, 0x15 alert, 0x17 application data...), in order, as far as
  // the bytes are whole records.
  std::vector<uint8_t> ClientRecordTypes();

 private:
  void Run();

  int listener_ = -1;
  int stop_[2] = {-1, -1};
  uint16_t port_ = 0;
  uint16_t target_ = 0;
  std::mutex mutex_;
  std::vector<uint8_t> fromClient_;
  std::thread thread_;
};
