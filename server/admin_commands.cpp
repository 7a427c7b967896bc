// The admin commands behind orva-lobbyctl.

#include <cstdlib>

#include "protocol/server_build.h"
#include "server/client_connection.h"
#include "server/lobby_server.h"
#include "server/registration_rules.h"
#include "server/server_log.h"

namespace {

bool ParseNumber(const std::string& text, uint32_t* out) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
  if (v > 0xFFFFFFFFull) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

constexpr const char* kUsage =
    "error: commands are: alert TEXT | room ID open|full|close | room ID players N | users | lock USER | "
    "unlock USER | kick USER\n";

}  // namespace

void LobbyServer::AdminCommand(const std::vector<std::string>& words, std::function<void(std::string)> reply) {
  if (words.empty()) return reply(kUsage);
  const std::string& verb = words[0];
  if (verb == "alert" && words.size() == 2 && !words[1].empty()) {
    Broadcast(kMessageServerAlert, ServerAlertBuild(words[1]));
    ServerLog("admin: alert to %zu users", online_.size());
    return reply("ok: sent to " + std::to_string(online_.size()) + " users\n");
  }
  if (verb == "room" && (words.size() == 3 || words.size() == 4)) return reply(CommandRoom(words));
  if (verb == "users" && words.size() == 1) return reply(CommandUsers());
  if ((verb == "lock" || verb == "unlock" || verb == "kick") && words.size() == 2) {
    return CommandAccount(verb, words[1], std::move(reply));
  }
  reply(kUsage);
}

std::string LobbyServer::CommandRoom(const std::vector<std::string>& words) {
  uint32_t id = 0;
  if (!ParseNumber(words[1], &id)) return "error: room id must be a number\n";
  RoomRuntime* room = FindRoom(id);
  if (!room) return "error: no room " + words[1] + "\n";
  RoomConfig& c = room->config;
  const RoomState before = c.state;
  if (words.size() == 4) {
    uint32_t players = 0;
    if (words[2] != "players" || !ParseNumber(words[3], &players)) return kUsage;
    c.players = players;
  } else if (words[2] == "open") {
    c.state = RoomState::kOpen;
  } else if (words[2] == "full") {
    c.state = RoomState::kFull;
  } else if (words[2] == "close") {
    c.state = RoomState::kClosed;
  } else {
    return kUsage;
  }
  ServerLog("admin: room %u %s %s", id, words[2].c_str(), words.size() == 4 ? words[3].c_str() : "");
  // A closed room is no longer announced; one that reopens is announced
  // again from the start.
  if (c.state == RoomState::kClosed && before == RoomState::kClosed) return "ok\n";
  BroadcastRoom(*room, before == RoomState::kClosed);
  return "ok\n";
}

std::string LobbyServer::CommandUsers() {
  std::string out = "ok: " + std::to_string(online_.size()) + " online\n";
  const auto now = ClientConnection::Clock::now();
  for (const auto& [key, connection] : online_) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - connection->AdmittedAt()).count();
    out += connection->User() + "\t" + connection->Peer() + "\t" + std::to_string(seconds) + "s\n";
  }
  return out;
}

void LobbyServer::CommandAccount(const std::string& verb, const std::string& name,
                                 std::function<void(std::string)> reply) {
  if (!RegistrationNameValid(name.c_str()) || name.size() >= kUserNameFieldSize) return reply("error: not a user name\n");
  if (verb == "kick") {
    std::string key = name;
    for (char& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    auto it = online_.find(key);
    if (it == online_.end()) return reply("error: " + name + " is not online\n");
    std::shared_ptr<ClientConnection> connection = it->second;
    connection->Send(kMessageServerAlert, ServerAlertBuild("You have been disconnected by the system administrator."));
    connection->CloseAfterSending("kicked");
    ServerLog("admin: kicked %s", name.c_str());
    return reply("ok\n");
  }
  const bool lock = verb == "lock";
  stores_.Submit([name, lock, verb, reply = std::move(reply)](AccountStore* store) {
    const StoreResult result = store ? store->SetLocked(name, lock) : StoreResult::kFailed;
    return [name, verb, reply, result] {
      if (result == StoreResult::kNotFound) return reply("error: no user " + name + "\n");
      if (result != StoreResult::kOk) return reply("error: the account store failed\n");
      ServerLog("admin: %s %s", verb.c_str(), name.c_str());
      reply("ok\n");
    };
  });
}
