#include "server/shared_state.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "server/postgres_connection.h"
#include "server/postgres_schema.h"
#include "server/server_log.h"

namespace {

constexpr const char* kChannel = "orva_lobby";

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// An alert's text is any bytes; a notification carries text of the
// database's encoding, so the text travels in hexadecimal.
std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 15]);
  }
  return out;
}

bool Unhex(const std::string& hex, std::string* out) {
  if (hex.size() % 2) return false;
  auto value = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
  out->clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int hi = value(hex[i]), lo = value(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out->push_back(static_cast<char>(hi * 16 + lo));
  }
  return true;
}

std::vector<std::string> Fields(const std::string& payload) {
  std::vector<std::string> out(1);
  for (char c : payload) {
    if (c == '\t') out.emplace_back();
    else out.back().push_back(c);
  }
  return out;
}

std::vector<PgStatement> Statements() {
  return {
      {"join", "INSERT INTO servers (name, lease_until) VALUES ($1, now() + $2::double precision * interval '1 second') "
               "ON CONFLICT (name) DO UPDATE SET lease_until = excluded.lease_until"},
      {"leave", "DELETE FROM servers WHERE name = $1"},
      {"clear_own", "DELETE FROM presence WHERE server = $1"},
      {"sweep_servers", "DELETE FROM servers WHERE lease_until < now() RETURNING name"},
      {"sweep_presence", "DELETE FROM presence WHERE server NOT IN (SELECT name FROM servers)"},
      {"presence_put", "INSERT INTO presence (name_key, name, server, peer) VALUES ($1, $2, $3, $4) "
                       "ON CONFLICT (name_key) DO UPDATE SET name = excluded.name, server = excluded.server, "
                       "peer = excluded.peer, since = now()"},
      {"presence_drop", "DELETE FROM presence WHERE name_key = $1 AND server = $2"},
      {"presence_count", "SELECT count(*) FROM presence"},
      {"presence_find", "SELECT server FROM presence WHERE name_key = $1"},
      {"users", "SELECT name, peer, floor(extract(epoch FROM now() - since))::bigint, server FROM presence "
                "ORDER BY name_key"},
      {"room_seed", "INSERT INTO rooms (id, state, players) VALUES ($1, $2, $3) ON CONFLICT (id) DO NOTHING"},
      {"room_read", "SELECT state, players FROM rooms WHERE id = $1"},
      {"room_write", "INSERT INTO rooms (id, state, players) VALUES ($1, $2, $3) ON CONFLICT (id) DO UPDATE SET "
                     "state = excluded.state, players = excluded.players"},
      {"notify", "SELECT pg_notify('orva_lobby', $1)"},
  };
}

}  // namespace

SharedState::SharedState(const ServerConfig& config, Handlers handlers, std::function<void(std::function<void()>)> post)
    : name_(config.serverName),
      leaseS_(config.leaseS),
      handlers_(std::move(handlers)),
      post_(std::move(post)),
      db_(std::make_unique<PgConnection>(config.databaseUrl, config.databasePassfile, Statements(),
                                         [](PgConnection& db, std::string* error) {
                                           if (!PostgresSchemaEnsure(db, error)) return false;
                                           if (db.Exec("LISTEN orva_lobby").Ok()) return true;
                                           *error = db.Error();
                                           return false;
                                         })) {}

SharedState::~SharedState() {
  if (thread_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    const uint64_t one = 1;
    if (wake_ >= 0 && write(wake_, &one, sizeof one) < 0) {
      // The thread still ends at its next poll.
    }
    thread_.join();
  }
  std::string ignored;
  if (db_->Ready(&ignored)) {
    db_->Run("clear_own", {{name_}});
    db_->Run("leave", {{name_}});
  }
  if (wake_ >= 0) close(wake_);
}

bool SharedState::Start(std::vector<RoomConfig*> rooms, std::string* error) {
  if (!db_->Ready(error)) return false;
  // A server of this name that ran before left its users behind.
  if (!db_->Run("join", {{name_}, {std::to_string(leaseS_)}}).Ok() || !db_->Run("clear_own", {{name_}}).Ok()) {
    *error = db_->Error();
    return false;
  }
  for (RoomConfig* room : rooms) {
    const std::string id = std::to_string(room->id);
    if (!db_->Run("room_seed", {{id}, {std::to_string(static_cast<int>(room->state))}, {std::to_string(room->players)}})
             .Ok()) {
      *error = db_->Error();
      return false;
    }
    PgResult stored = db_->Run("room_read", {{id}});
    if (!stored.Ok() || stored.Rows() != 1) {
      *error = db_->Error();
      return false;
    }
    const long long state = stored.Integer(0, 0);
    if (state >= 1 && state <= 3) room->state = static_cast<RoomState>(state);
    room->players = static_cast<uint32_t>(stored.Integer(0, 1));
  }
  wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0) {
    *error = "eventfd failed";
    return false;
  }
  thread_ = std::thread([this] { Run(); });
  return true;
}

void SharedState::Queue(Task task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  const uint64_t one = 1;
  if (write(wake_, &one, sizeof one) < 0) {
    // Full counter: the thread is awake anyway.
  }
}

void SharedState::Notify(PgConnection& db, const std::string& payload) { db.Run("notify", {{payload}}); }

void SharedState::Admitted(const std::string& user, const std::string& peer) {
  Queue([this, user, peer](PgConnection& db) {
    db.Run("presence_put", {{Lower(user)}, {user}, {name_}, {peer}});
    Notify(db, "admitted\t" + name_ + "\t" + Lower(user));
  });
}

void SharedState::Left(const std::string& user) {
  Queue([this, user](PgConnection& db) { db.Run("presence_drop", {{Lower(user)}, {name_}}); });
}

void SharedState::Alert(const std::string& text, std::function<void(bool, uint32_t)> reply) {
  Queue([this, text, reply](PgConnection& db) {
    const bool told = db.Run("notify", {{"alert\t" + name_ + "\t" + Hex(text)}}).Ok();
    PgResult count = db.Run("presence_count", {});
    const bool counted = count.Ok();
    const auto users = static_cast<uint32_t>(counted ? count.Integer(0, 0) : 0);
    post_([reply, told, counted, users] { reply(told && counted, users); });
  });
}

void SharedState::Kick(const std::string& user, std::function<void(bool)> reply) {
  Queue([this, user, reply](PgConnection& db) {
    PgResult where = db.Run("presence_find", {{Lower(user)}});
    const bool found = where.Ok() && where.Rows() == 1;
    if (found) Notify(db, "kick\t" + name_ + "\t" + Lower(user));
    post_([reply, found] { reply(found); });
  });
}

void SharedState::Room(uint32_t room, RoomState state, uint32_t players) {
  Queue([this, room, state, players](PgConnection& db) {
    const std::string id = std::to_string(room), s = std::to_string(static_cast<int>(state)),
                      n = std::to_string(players);
    if (!db.Run("room_write", {{id}, {s}, {n}}).Ok()) {
      ServerLog("room %u: its state cannot be stored: %s", room, db.Error().c_str());
    }
    Notify(db, "room\t" + name_ + "\t" + id + "\t" + s + "\t" + n);
  });
}

void SharedState::Users(std::function<void(std::string)> reply) {
  Queue([this, reply](PgConnection& db) {
    PgResult r = db.Run("users", {});
    std::string out;
    if (!r.Ok()) {
      out = "error: the shared state cannot be read\n";
    } else {
      out = "ok: " + std::to_string(r.Rows()) + " online\n";
      for (int i = 0; i < r.Rows(); ++i) {
        out += r.Text(i, 0) + "\t" + r.Text(i, 1) + "\t" + r.Text(i, 2) + "s\t" + r.Text(i, 3) + "\n";
      }
    }
    post_([reply, out] { reply(out); });
  });
}

void SharedState::Renew(PgConnection& db) {
  db.Run("join", {{name_}, {std::to_string(leaseS_)}});
  PgResult gone = db.Run("sweep_servers", {});
  for (int i = 0; i < gone.Rows(); ++i) ServerLog("server %s stopped renewing its lease: its users are cleared", gone.Text(i, 0).c_str());
  db.Run("sweep_presence", {});
}

void SharedState::OnNotify(const std::string& payload) {
  const std::vector<std::string> f = Fields(payload);
  // What this server sent it has done already.
  if (f.size() < 3 || f[1] == name_) return;
  if (f[0] == "admitted" && f.size() == 3) {
    post_([this, user = f[2]] { handlers_.loggedInElsewhere(user); });
  } else if (f[0] == "kick" && f.size() == 3) {
    post_([this, user = f[2]] { handlers_.kick(user); });
  } else if (f[0] == "alert" && f.size() == 3) {
    std::string text;
    if (Unhex(f[2], &text)) post_([this, text] { handlers_.alert(text); });
  } else if (f[0] == "room" && f.size() == 5) {
    const auto id = static_cast<uint32_t>(std::strtoul(f[2].c_str(), nullptr, 10));
    const long state = std::strtol(f[3].c_str(), nullptr, 10);
    const auto players = static_cast<uint32_t>(std::strtoul(f[4].c_str(), nullptr, 10));
    if (state >= 1 && state <= 3) {
      post_([this, id, state, players] { handlers_.room(id, static_cast<RoomState>(state), players); });
    }
  }
}

void SharedState::Run() {
  using Clock = std::chrono::steady_clock;
  const auto every = std::chrono::milliseconds(static_cast<int64_t>(leaseS_ * 1000 / 3));
  Clock::time_point nextRenew = Clock::now() + every;
  bool saidDown = false;
  unsigned connects = db_->Connects();
  for (;;) {
    std::deque<Task> tasks;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return;
      tasks.swap(tasks_);
    }
    std::string error;
    const bool up = db_->Ready(&error);
    if (!up && !saidDown) ServerLog("the shared state's database cannot be reached: %s", error.c_str());
    if (up && saidDown) {
      ServerLog("the shared state's database is back");
      Renew(*db_);
    }
    saidDown = !up;
    if (up && db_->Connects() != connects) {
      connects = db_->Connects();
      // Who came and went while the connection was lost: this server's
      // users are written again, as the loop has them now.
      post_([this] {
        Queue([this, users = handlers_.online()](PgConnection& db) {
          db.Run("clear_own", {{name_}});
          for (const auto& [user, peer] : users) db.Run("presence_put", {{Lower(user)}, {user}, {name_}, {peer}});
        });
      });
    }
    // Without a connection every statement fails at once: the admin
    // commands are still answered (with an error), and a presence change
    // asked meanwhile is lost until that user comes again.
    for (Task& task : tasks) task(*db_);
    if (!up) {
      pollfd wait = {wake_, POLLIN, 0};
      poll(&wait, 1, 1000);
      continue;
    }
    if (Clock::now() >= nextRenew) {
      Renew(*db_);
      nextRenew = Clock::now() + every;
    }
    PQconsumeInput(db_->Get());
    while (PGnotify* n = PQnotifies(db_->Get())) {
      OnNotify(n->extra);
      PQfreemem(n);
    }
    // A connection lost meanwhile is made again at once.
    if (PQstatus(db_->Get()) != CONNECTION_OK) continue;
    pollfd fds[2] = {{wake_, POLLIN, 0}, {PQsocket(db_->Get()), POLLIN, 0}};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(nextRenew - Clock::now()).count();
    if (poll(fds, fds[1].fd >= 0 ? 2 : 1, static_cast<int>(std::max<int64_t>(0, left))) > 0 && (fds[0].revents & POLLIN)) {
      uint64_t drained;
      if (read(wake_, &drained, sizeof drained) < 0) {
        // Nothing to drain.
      }
    }
  }
}
