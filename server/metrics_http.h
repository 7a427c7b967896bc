#pragma once
// The metrics endpoint: GET /metrics over HTTP on a thread of its own,
// answered from the counters alone.

#include <memory>
#include <string>
#include <thread>

#include "server/metrics.h"

namespace httplib {
class Server;
}

class MetricsHttp {
 public:
  MetricsHttp(const Metrics& metrics, std::string serverName);
  ~MetricsHttp();
  MetricsHttp(const MetricsHttp&) = delete;
  MetricsHttp& operator=(const MetricsHttp&) = delete;

  // Listens on host:port (0: any free port); false with error set.
  bool Start(const std::string& host, uint16_t port, std::string* error);
  uint16_t Port() const { return port_; }
  void Stop();

 private:
  const Metrics& metrics_;
  std::string serverName_;
  std::unique_ptr<httplib::Server> http_;
  std::thread thread_;
  uint16_t port_ = 0;
};
