// The metrics endpoint and "orva-lobbyctl stats" of a running server: the
// figures after a registration and a wrong password, in the Prometheus
// text format with the server's name, and for a person.

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <cstring>

#include "protocol/messages.h"
#include "tests/server/lobby_fixture.h"
#include "tests/server/lobbyd_process.h"

namespace {

TEST(LobbydMetrics, FiguresAreServedOverHttpAndToLobbyctl) {
  TempDir dir;
  WriteTestFiles(dir);
  dir.Write("lobby.toml", ConfigText("name = \"east \\\"1\\\"\"") + "\n[metrics]\nlisten = \"127.0.0.1:0\"\n");
  auto server = StartLobbyd(dir);
  ASSERT_TRUE(server->WaitForOutput("/metrics\n")) << server->Output();
  const std::string out = server->Output();
  const size_t at = out.find("metrics on http://127.0.0.1:");
  ASSERT_NE(at, std::string::npos) << out;
  const int metricsPort = std::stoi(out.substr(at + std::strlen("metrics on http://127.0.0.1:")));
  const uint16_t port = ListeningPort(out);
  {
    TestClient c;
    ASSERT_TRUE(c.Connect(port));
    ASSERT_TRUE(c.Admitted("vera", "pass1", true));
    TestClient wrong;
    ASSERT_TRUE(wrong.Connect(port));
    uint16_t reason = 0;
    EXPECT_EQ(wrong.Login("vera", "nope1", false, &reason), kMessageAccessDenied);
    EXPECT_EQ(reason, 3);

    httplib::Client http("127.0.0.1", metricsPort);
    http.set_connection_timeout(5);
    http.set_read_timeout(5);
    auto got = http.Get("/metrics");
    ASSERT_TRUE(got);
    EXPECT_EQ(got->status, 200);
    EXPECT_EQ(got->get_header_value("Content-Type").rfind("text/plain; version=0.0.4", 0), 0u);
    const std::string& text = got->body;
    const std::string server = "{server=\"east \\\"1\\\"\"";
    for (const std::string& line : {
             std::string("# TYPE orva_lobby_logins_total counter\n"),
             "orva_lobby_registrations_total" + server + ",result=\"granted\"} 1\n",
             "orva_lobby_logins_total" + server + ",result=\"wrong_password\"} 1\n",
             "orva_lobby_logins_total" + server + ",result=\"granted\"} 0\n",
             "orva_lobby_players_admitted" + server + "} 1\n",
             // The refused client may still be closing: 1 or 2.
             "orva_lobby_connections" + server + "} ",
             "orva_lobby_hashes_running" + server + "} 0\n",
             "orva_lobby_hash_seconds_count" + server + "} 2\n",
             "orva_lobby_lockouts_total" + server + "} 0\n",
         }) {
      EXPECT_NE(text.find(line), std::string::npos) << line << "\nin:\n" << text;
    }
    auto missing = http.Get("/other");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);

    std::string stats;
    EXPECT_EQ(RunLobbyctl(dir, {"stats"}, &stats), 0) << stats;
    EXPECT_NE(stats.find("players admitted: 1\n"), std::string::npos) << stats;
    EXPECT_NE(stats.find("registrations: granted 1,"), std::string::npos) << stats;
    EXPECT_NE(stats.find("wrong_password 1,"), std::string::npos) << stats;
  }
  server->Signal(SIGTERM);
  EXPECT_EQ(server->Wait(), 0);
}

}  // namespace
