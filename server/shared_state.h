#pragma once
// What several servers on one PostgreSQL database share: who is online on
// which server, the rooms' states and counts, and the administrator's
// alerts and kicks. The tables hold the state; NOTIFY on one channel tells
// the other servers at once. Each server renews a lease on its row; a
// server whose lease has run out (it died without a word) is swept out with
// its users by whichever server renews next.
//
// One thread with a connection of its own does the database work, in the
// order it was asked for, and posts what other servers said to the loop.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "server/config.h"

class PgConnection;

class SharedState {
 public:
  // Called on the loop thread (through post) for what other servers did.
  struct Handlers {
    std::function<void(const std::string& user)> loggedInElsewhere;
    std::function<void(const std::string& text)> alert;
    std::function<void(const std::string& user)> kick;
    std::function<void(uint32_t room, RoomState state, uint32_t players)> room;
    // This server's users (name and peer), to write again after the
    // connection was lost.
    std::function<std::vector<std::pair<std::string, std::string>>()> online;
  };

  SharedState(const ServerConfig& config, Handlers handlers, std::function<void(std::function<void()>)> post);
  // Leaves: this server's users and its row are removed.
  ~SharedState();
  SharedState(const SharedState&) = delete;
  SharedState& operator=(const SharedState&) = delete;

  // At start, before the loop runs: joins, and replaces the configured
  // rooms' states and counts with the stored ones (storing those not
  // stored yet). False with error set when the database cannot be used.
  bool Start(std::vector<RoomConfig*> rooms, std::string* error);

  void Admitted(const std::string& user, const std::string& peer);
  void Left(const std::string& user);
  // reply gets the number of users online on every server, or false when
  // the other servers could not be told.
  void Alert(const std::string& text, std::function<void(bool told, uint32_t users)> reply);
  // reply gets whether the user was online on another server.
  void Kick(const std::string& user, std::function<void(bool found)> reply);
  void Room(uint32_t room, RoomState state, uint32_t players);
  // reply gets the admin answer: every user with the server holding them.
  void Users(std::function<void(std::string)> reply);

 private:
  using Task = std::function<void(PgConnection&)>;
  void Queue(Task task);
  void Run();
  void Renew(PgConnection& db);
  void Notify(PgConnection& db, const std::string& payload);
  void OnNotify(const std::string& payload);

  std::string name_;
  double leaseS_;
  Handlers handlers_;
  std::function<void(std::function<void()>)> post_;
  std::unique_ptr<PgConnection> db_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Task> tasks_;
  bool stopping_ = false;
  int wake_ = -1;  // an eventfd the loop writes to when it queues a task
  std::thread thread_;
};
