#include "server/metrics_http.h"

#include <httplib.h>

MetricsHttp::MetricsHttp(const Metrics& metrics, std::string serverName)
    : metrics_(metrics), serverName_(std::move(serverName)), http_(std::make_unique<httplib::Server>()) {}

MetricsHttp::~MetricsHttp() { Stop(); }

bool MetricsHttp::Start(const std::string& host, uint16_t port, std::string* error) {
  http_->Get("/metrics", [this](const httplib::Request&, httplib::Response& response) {
    response.set_content(MetricsPrometheus(metrics_, serverName_), "text/plain; version=0.0.4; charset=utf-8");
  });
  const int bound = port == 0 ? http_->bind_to_any_port(host) : (http_->bind_to_port(host, port) ? port : -1);
  if (bound <= 0) {
    *error = "metrics.listen: cannot listen on " + host + ":" + std::to_string(port);
    return false;
  }
  port_ = static_cast<uint16_t>(bound);
  thread_ = std::thread([this] { http_->listen_after_bind(); });
  return true;
}

void MetricsHttp::Stop() {
  if (!thread_.joinable()) return;
  http_->stop();
  thread_.join();
}
