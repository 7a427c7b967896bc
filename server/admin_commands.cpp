// The admin commands behind orva-lobbyctl.

#include <cstdlib>

#include "protocol/server_build.h"
#include "server/client_connection.h"
#include "server/lobby_server.h"
#include "server/registration_rules.h"
#include "server/server_log.h"
#include "server/shared_state.h"

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
    "unlock USER | kick USER | stats\n";

}  // namespace

void LobbyServer::AdminCommand(const std::vector<std::string>& words, std::function<void(std::string)> reply) {
  if (words.empty()) return reply(kUsage);
  const std::string& verb = words[0];
  if (verb == "alert" && words.size() == 2 && !words[1].empty()) {
    Broadcast(kMessageServerAlert, ServerAlertBuild(words[1]));
    ServerLog("admin: alert to %zu users", online_.size());
    if (shared_) {
      const size_t here = online_.size();
      return shared_->Alert(words[1], [reply, here](bool told, uint32_t users) {
        if (told) return reply("ok: sent to " + std::to_string(users) + " users\n");
        reply("ok: sent to " + std::to_string(here) + " users of this server; the others cannot be told now\n");
      });
    }
    return reply("ok: sent to " + std::to_string(online_.size()) + " users\n");
  }
  if (verb == "room" && (words.size() == 3 || words.size() == 4)) return reply(CommandRoom(words));
  if (verb == "stats" && words.size() == 1) return reply(MetricsSummary(metrics_, config_.serverName));
  if (verb == "users" && words.size() == 1) {
    if (shared_) return shared_->Users(std::move(reply));
    return reply(CommandUsers());
  }
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
  RoomState state = room->config.state;
  uint32_t players = room->config.players;
  if (words.size() == 4) {
    if (words[2] != "players" || !ParseNumber(words[3], &players)) return kUsage;
  } else if (words[2] == "open") {
    state = RoomState::kOpen;
  } else if (words[2] == "full") {
    state = RoomState::kFull;
  } else if (words[2] == "close") {
    state = RoomState::kClosed;
  } else {
    return kUsage;
  }
  ServerLog("admin: room %u %s %s", id, words[2].c_str(), words.size() == 4 ? words[3].c_str() : "");
  ApplyRoom(*room, state, players);
  if (shared_) shared_->Room(id, state, players);
  return "ok\n";
}

void LobbyServer::ApplyRoom(RoomRuntime& room, RoomState state, uint32_t players) {
  const RoomState before = room.config.state;
  room.config.state = state;
  room.config.players = players;
  // A closed room is no longer announced; one that reopens is announced
  // again from the start.
  if (state == RoomState::kClosed && before == RoomState::kClosed) return;
  BroadcastRoom(room, before == RoomState::kClosed);
}

void LobbyServer::Kick(const std::shared_ptr<ClientConnection>& connection) {
  connection->Send(kMessageServerAlert, ServerAlertBuild("You have been disconnected by the system administrator."));
  connection->CloseAfterSending("kicked");
}

std::string LobbyServer::CommandUsers() {
  std::string out = "ok: " + std::to_string(online_.size()) + " online\n";
  const auto now = ClientConnection::Clock::now();
  for (const auto& [key, connection] : online_) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - connection->AdmittedAt()).count();
    out += connection->User() + "\t" + connection->Peer() + "\t" + std::to_string(seconds) + "s\t" + config_.serverName + "\n";
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
    if (it != online_.end()) {
      Kick(it->second);
      ServerLog("admin: kicked %s", name.c_str());
      return reply("ok\n");
    }
    if (!shared_) return reply("error: " + name + " is not online\n");
    // Online on another server, perhaps: that server kicks.
    return shared_->Kick(name, [name, reply](bool found) {
      if (found) ServerLog("admin: kicked %s on another server", name.c_str());
      reply(found ? "ok\n" : "error: " + name + " is not online\n");
    });
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
