#pragma once
// The figures an operator watches: counted on the loop and the pools,
// read by the metrics endpoint's thread and by the admin command "stats".

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

// Results of a registration or log-in: 0 granted, 1 to 6 the refusal
// reasons.
inline constexpr size_t kAdmissionResults = 7;

struct Metrics {
  std::atomic<int64_t> connections{0};
  std::atomic<int64_t> admitted{0};
  std::array<std::atomic<uint64_t>, kAdmissionResults> logins{};
  std::array<std::atomic<uint64_t>, kAdmissionResults> registrations{};
  std::atomic<uint64_t> lockouts{0};
  // Password hashes waiting for a worker or on one.
  std::atomic<int64_t> hashesPending{0};
  std::atomic<int64_t> hashesRunning{0};
  std::atomic<uint64_t> hashes{0};
  std::atomic<uint64_t> hashMicroseconds{0};
  std::atomic<uint64_t> storeCalls{0};
  std::atomic<uint64_t> storeMicroseconds{0};
  std::atomic<uint64_t> messagesIn{0};
  std::atomic<uint64_t> bytesIn{0};
  std::atomic<uint64_t> messagesOut{0};
  std::atomic<uint64_t> bytesOut{0};
  std::atomic<uint64_t> setsSent{0};
};

// Adds the time since start to *micros and one to *count when it goes.
class MetricsTimer {
 public:
  MetricsTimer(std::atomic<uint64_t>* count, std::atomic<uint64_t>* micros)
      : count_(count), micros_(micros), start_(std::chrono::steady_clock::now()) {}
  ~MetricsTimer() {
    const auto spent = std::chrono::steady_clock::now() - start_;
    micros_->fetch_add(static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(spent).count()));
    count_->fetch_add(1);
  }
  MetricsTimer(const MetricsTimer&) = delete;
  MetricsTimer& operator=(const MetricsTimer&) = delete;

 private:
  std::atomic<uint64_t>* count_;
  std::atomic<uint64_t>* micros_;
  std::chrono::steady_clock::time_point start_;
};

// The figures in the Prometheus text format, each labelled with server.
std::string MetricsPrometheus(const Metrics& m, const std::string& server);
// The same figures for a person, one per line.
std::string MetricsSummary(const Metrics& m, const std::string& server);
