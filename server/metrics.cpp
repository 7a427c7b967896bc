#include "server/metrics.h"

#include <cstdio>

namespace {

constexpr const char* kResults[kAdmissionResults] = {"granted",     "old_client", "no_such_user", "wrong_password",
                                                      "locked_out", "name_taken", "full"};

std::string Label(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '\\' || c == '"') out.push_back('\\');
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out.push_back(c);
  }
  return out;
}

std::string Seconds(uint64_t micros) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", static_cast<double>(micros) / 1e6);
  return text;
}

class Writer {
 public:
  explicit Writer(const std::string& server) : server_("server=\"" + Label(server) + "\"") {}
  void Head(const char* name, const char* type, const char* help) {
    out_ += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
  }
  void Value(const std::string& name, const std::string& value, const std::string& labels = "") {
    out_ += name + "{" + server_ + (labels.empty() ? "" : "," + labels) + "} " + value + "\n";
  }
  template <typename T>
  void One(const char* name, const char* type, const char* help, T value) {
    Head(name, type, help);
    Value(name, std::to_string(value));
  }
  void Results(const char* name, const char* help, const std::array<std::atomic<uint64_t>, kAdmissionResults>& by) {
    Head(name, "counter", help);
    for (size_t i = 0; i < kAdmissionResults; ++i) {
      Value(name, std::to_string(by[i].load()), std::string("result=\"") + kResults[i] + "\"");
    }
  }
  void Timing(const char* name, const char* help, uint64_t count, uint64_t micros) {
    Head(name, "summary", help);
    Value(std::string(name) + "_sum", Seconds(micros));
    Value(std::string(name) + "_count", std::to_string(count));
  }
  std::string Text() const { return out_; }

 private:
  std::string server_;
  std::string out_;
};

}  // namespace

std::string MetricsPrometheus(const Metrics& m, const std::string& server) {
  Writer w(server);
  w.One("orva_lobby_connections", "gauge", "Client connections open.", m.connections.load());
  w.One("orva_lobby_players_admitted", "gauge", "Players admitted to the lobby on this server.", m.admitted.load());
  w.Results("orva_lobby_logins_total", "Log-ins by result (granted, or the refusal).", m.logins);
  w.Results("orva_lobby_registrations_total", "Registrations by result (granted, or the refusal).", m.registrations);
  w.One("orva_lobby_lockouts_total", "counter", "Locks after wrong passwords (an address or a whole account).",
        m.lockouts.load());
  const int64_t running = m.hashesRunning.load();
  w.One("orva_lobby_hashes_queued", "gauge", "Password hashes waiting for a worker.",
        std::max<int64_t>(0, m.hashesPending.load() - running));
  w.One("orva_lobby_hashes_running", "gauge", "Password hashes being computed.", running);
  w.Timing("orva_lobby_hash_seconds", "Time spent computing password hashes.", m.hashes.load(),
           m.hashMicroseconds.load());
  w.Timing("orva_lobby_store_call_seconds", "Time spent in account database calls.", m.storeCalls.load(),
           m.storeMicroseconds.load());
  w.One("orva_lobby_messages_in_total", "counter", "Messages received from clients.", m.messagesIn.load());
  w.One("orva_lobby_bytes_in_total", "counter", "Bytes of the messages received (headers included).",
        m.bytesIn.load());
  w.One("orva_lobby_messages_out_total", "counter", "Messages sent to clients.", m.messagesOut.load());
  w.One("orva_lobby_bytes_out_total", "counter", "Bytes of the messages sent (headers included).", m.bytesOut.load());
  w.One("orva_lobby_building_sets_sent_total", "counter", "Building image sets sent.", m.setsSent.load());
  return w.Text();
}

std::string MetricsSummary(const Metrics& m, const std::string& server) {
  auto results = [](const std::array<std::atomic<uint64_t>, kAdmissionResults>& by) {
    std::string out;
    for (size_t i = 0; i < kAdmissionResults; ++i) {
      out += std::string(i ? ", " : "") + kResults[i] + " " + std::to_string(by[i].load());
    }
    return out;
  };
  auto average = [](uint64_t micros, uint64_t count) {
    char text[48];
    std::snprintf(text, sizeof text, "%llu, %.1f ms on average", static_cast<unsigned long long>(count),
                  count ? static_cast<double>(micros) / 1000.0 / static_cast<double>(count) : 0.0);
    return std::string(text);
  };
  const int64_t running = m.hashesRunning.load();
  std::string out = "ok: server " + server + "\n";
  out += "connections: " + std::to_string(m.connections.load()) + "\n";
  out += "players admitted: " + std::to_string(m.admitted.load()) + "\n";
  out += "log-ins: " + results(m.logins) + "\n";
  out += "registrations: " + results(m.registrations) + "\n";
  out += "lock-outs: " + std::to_string(m.lockouts.load()) + "\n";
  out += "password hashes: " + std::to_string(std::max<int64_t>(0, m.hashesPending.load() - running)) + " queued, " +
         std::to_string(running) + " running, " + average(m.hashMicroseconds.load(), m.hashes.load()) + "\n";
  out += "database calls: " + average(m.storeMicroseconds.load(), m.storeCalls.load()) + "\n";
  out += "messages in: " + std::to_string(m.messagesIn.load()) + " (" + std::to_string(m.bytesIn.load()) +
         " bytes)\n";
  out += "messages out: " + std::to_string(m.messagesOut.load()) + " (" + std::to_string(m.bytesOut.load()) +
         " bytes)\n";
  out += "building sets sent: " + std::to_string(m.setsSent.load()) + "\n";
  return out;
}
