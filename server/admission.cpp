// Admission: the AccessRequest, the account checks (with the password work on
// the hash pool), the refusals and the admission's messages.

#include <memory>

#include "protocol/message_build.h"
#include "protocol/server_build.h"
#include "server/client_connection.h"
#include "server/lobby_server.h"
#include "server/password_hash.h"
#include "server/registration_rules.h"
#include "server/server_log.h"
#include "server/shared_state.h"

namespace {

enum : uint16_t {
  kDeniedOldClient = 1,
  kDeniedNoSuchUser = 2,
  kDeniedWrongPassword = 3,
  kDeniedLockedOut = 4,
  kDeniedNameTaken = 5,
  kDeniedFull = 6,
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Keeps the loop's work count up while a job is on the pool, so the loop
// does not run dry before every answer has come back.
using WorkGuard = std::shared_ptr<asio::executor_work_guard<asio::io_context::executor_type>>;

}  // namespace

void LobbyServer::OnAccessRequest(const std::shared_ptr<ClientConnection>& connection, const uint8_t* body,
                                  uint32_t length) {
  AccessRequestFields request;
  switch (AccessRequestParse(body, length, &request)) {
    case kAccessRequestOk:
      break;
    case kAccessRequestShort:
      connection->Close("short access request");
      return;
    case kAccessRequestUnterminated:
      connection->Close("access request with a text that does not end");
      return;
    case kAccessRequestTooLong:
      connection->Close("access request with overlong personal information");
      return;
  }
  if (request.signature != kAccessRequestSignature) {
    connection->Close("access request without its signature");
    return;
  }
  registering_[connection.get()] = request.newUser == 1;
  if (request.version < config_.minRequestVersion) {
    Deny(connection, request.userName, kDeniedOldClient);
    return;
  }
  if (request.newUser == 1) {
    Register(connection, request);
  } else {
    LogIn(connection, request);
  }
}

void LobbyServer::StoreCall(const std::shared_ptr<ClientConnection>& connection, const std::string& user,
                            StorePool::Job job) {
  auto timer = std::make_shared<asio::steady_timer>(io_);
  timer->expires_after(std::chrono::milliseconds(static_cast<int64_t>(config_.storeTimeoutS * 1000)));
  timer->async_wait([this, connection, user](const asio::error_code& e) {
    if (e || stopped_ || connection->GetState() != ClientConnection::State::kVerifying) return;
    Deny(connection, user, kDeniedFull, "the account store did not answer in time");
  });
  storeWaits_.insert(timer);
  WorkGuard work = std::make_shared<WorkGuard::element_type>(io_.get_executor());
  stores_.Submit([this, job = std::move(job), timer, work](AccountStore* store) {
    StorePool::Answer answer;
    {
      MetricsTimer timed(&metrics_.storeCalls, &metrics_.storeMicroseconds);
      answer = job(store);
    }
    return StorePool::Answer([this, answer = std::move(answer), timer, work] {
      timer->cancel();
      storeWaits_.erase(timer);
      answer();
    });
  });
}

void LobbyServer::Register(const std::shared_ptr<ClientConnection>& connection, const AccessRequestFields& request) {
  if (!RegistrationValid(request)) {
    connection->Close("invalid registration data");
    return;
  }
  connection->SetVerifying();
  Account account;
  account.name = request.userName;
  account.fullName = request.fullName;
  account.email = request.email;
  account.personalInfo = request.personalInfo;
  const std::string password = request.password;
  StoreCall(connection, account.name, [this, connection, account, password](AccountStore* store) {
    Account existing;
    const StoreResult found = store ? store->Find(account.name, &existing) : StoreResult::kFailed;
    return [this, connection, account, password, found] { HashRegistration(connection, account, password, found); };
  });
}

void LobbyServer::HashRegistration(const std::shared_ptr<ClientConnection>& connection, const Account& account,
                                   const std::string& password, StoreResult found) {
  if (stopped_ || connection->GetState() != ClientConnection::State::kVerifying) return;
  if (found == StoreResult::kFailed) {
    Deny(connection, account.name, kDeniedFull, "the account store cannot be read");
    return;
  }
  if (found == StoreResult::kOk) {
    Deny(connection, account.name, kDeniedNameTaken);
    return;
  }
  if (LobbyFull(account.name)) {
    Deny(connection, account.name, kDeniedFull);
    return;
  }
  const HashStrength strength = config_.hash;
  WorkGuard work = std::make_shared<WorkGuard::element_type>(io_.get_executor());
  const uint64_t ticket =
      pool_.Submit(connection->Address(), Timed([this, connection, made = account, password, strength, work]() mutable {
        made.passwordHash = PasswordHashMake(password, strength);
        return HashPool::Answer([this, connection, made, work] { FinishRegistration(connection, made); });
      }));
  if (ticket == 0) {
    metrics_.hashesPending.fetch_sub(1);
    Deny(connection, account.name, kDeniedFull, "too many password hashes waiting");
    return;
  }
  hashing_[connection.get()] = {ticket, std::string()};
}

void LobbyServer::FinishRegistration(const std::shared_ptr<ClientConnection>& connection, const Account& account) {
  hashing_.erase(connection.get());
  if (stopped_ || connection->GetState() != ClientConnection::State::kVerifying) return;
  if (account.passwordHash.empty()) {
    connection->Close("password hashing failed");
    return;
  }
  // The room is checked before the account is stored: a registration
  // refused as full has made no account.
  if (LobbyFull(account.name)) {
    Deny(connection, account.name, kDeniedFull);
    return;
  }
  StoreCall(connection, account.name, [this, connection, account](AccountStore* store) {
    const StoreResult made = store ? store->Create(account) : StoreResult::kFailed;
    return [this, connection, name = account.name, made] {
      if (stopped_ || connection->GetState() != ClientConnection::State::kVerifying) return;
      switch (made) {
        case StoreResult::kOk:
          break;
        case StoreResult::kExists:
          Deny(connection, name, kDeniedNameTaken);
          return;
        default:
          Deny(connection, name, kDeniedFull, "the account store cannot be written");
          return;
      }
      ServerLog("#%llu registered user %s", static_cast<unsigned long long>(connection->Id()), name.c_str());
      Admit(connection, name);
    };
  });
}

void LobbyServer::LogIn(const std::shared_ptr<ClientConnection>& connection, const AccessRequestFields& request) {
  connection->SetVerifying();
  const std::string name = request.userName;
  StoreCall(connection, name, [this, connection, name, password = std::string(request.password)](AccountStore* store) {
    auto account = std::make_shared<Account>();
    const StoreResult found = store ? store->Find(name, account.get()) : StoreResult::kFailed;
    return [this, connection, name, password, account, found] {
      if (stopped_ || connection->GetState() != ClientConnection::State::kVerifying) return;
      if (found == StoreResult::kNotFound) {
        Deny(connection, name, kDeniedNoSuchUser);
      } else if (found != StoreResult::kOk) {
        Deny(connection, name, kDeniedFull, "the account store cannot be read");
      } else {
        WaitForCheckTurn(connection, *account, password);
      }
    };
  });
}

void LobbyServer::WaitForCheckTurn(const std::shared_ptr<ClientConnection>& connection, const Account& account,
                                   const std::string& password) {
  const std::string key = Lower(account.name);
  CheckTurns::Start start = [this, connection, key, name = account.name, hash = account.passwordHash, password] {
    if (!BeginCheck(connection, name, hash, password)) checkTurns_.Leave(key);
  };
  switch (checkTurns_.Enter(key, start)) {
    case CheckTurns::Turn::kNow:
      start();
      return;
    case CheckTurns::Turn::kWaiting:
      return;
    case CheckTurns::Turn::kRefused:
      Deny(connection, account.name, kDeniedFull, "too many log-ins waiting for this account");
      return;
  }
}

// With the account's check turn held: the lock-out is read now, after
// every earlier check of the account has been counted. True when the turn
// is kept (the answers that follow end it).
bool LobbyServer::BeginCheck(const std::shared_ptr<ClientConnection>& connection, const std::string& name,
                             const std::string& hash, const std::string& password) {
  // The client left while it waited for its turn.
  if (stopped_ || connection->GetState() != ClientConnection::State::kVerifying) return false;
  const std::string address = connection->Address();
  StoreCall(connection, name, [this, connection, name, hash, password, address](AccountStore* store) {
    bool locked = false;
    const StoreResult checked =
        store ? store->LockoutCheck(name, address, LockoutNowMs(), &locked) : StoreResult::kFailed;
    return [this, connection, name, hash, password, checked, locked] {
      if (stopped_) return;
      if (!HashCheck(connection, name, hash, password, checked, locked)) checkTurns_.Leave(Lower(name));
    };
  });
  return true;
}

// The lock-out read: the hash is queued unless it refuses. True when the
// hash is queued (its answer ends the turn).
bool LobbyServer::HashCheck(const std::shared_ptr<ClientConnection>& connection, const std::string& name,
                            const std::string& hash, const std::string& password, StoreResult checked, bool locked) {
  // The password is not even checked when the source is locked out.
  if (connection->GetState() != ClientConnection::State::kVerifying || !PassesLockout(connection, name, checked, locked)) {
    return false;
  }
  WorkGuard work = std::make_shared<WorkGuard::element_type>(io_.get_executor());
  const uint64_t ticket = pool_.Submit(connection->Address(), Timed([this, connection, hash, name, password, work] {
    const bool matches = PasswordHashVerify(hash, password);
    return HashPool::Answer([this, connection, name, matches, work] { FinishLogIn(connection, name, matches); });
  }));
  if (ticket == 0) {
    metrics_.hashesPending.fetch_sub(1);
    Deny(connection, name, kDeniedFull, "too many password hashes waiting");
    return false;
  }
  hashing_[connection.get()] = {ticket, Lower(name)};
  return true;
}

void LobbyServer::FinishLogIn(const std::shared_ptr<ClientConnection>& connection, const std::string& name,
                              bool matches) {
  hashing_.erase(connection.get());
  if (stopped_) return;
  // Counted even when the client left before the answer, so that hanging
  // up early does not buy more guesses.
  const std::string address = connection->Address();
  const LockoutRules rules = lockoutRules_;
  StoreCall(connection, name, [this, connection, name, matches, address, rules](AccountStore* store) {
    CheckAnswer a;
    if (!store) {
      a.stored = StoreResult::kFailed;
    } else if (!matches) {
      a.stored = store->LockoutFailure(name, address, LockoutNowMs(), rules, &a.outcome);
    } else {
      // Locked meanwhile by the administrator?
      a.stored = store->LockoutCheck(name, address, LockoutNowMs(), &a.locked);
      if (a.stored == StoreResult::kOk && !a.locked) a.cleared = store->LockoutSuccess(name, address);
    }
    return [this, connection, name, matches, a] {
      if (stopped_) return;
      AnswerCheck(connection, name, matches, a);
      checkTurns_.Leave(Lower(name));
      if (!matches && a.stored == StoreResult::kOk) ForgetStaleLockouts();
    };
  });
}

// Counted wrong passwords are what adds counts, so they are what has the
// stale ones deleted: one pass at a time, every few minutes, and at once
// again while the passes come back full, so the deletes keep up with any
// rate of new counts. A pass is one bounded statement on a store worker.
void LobbyServer::ForgetStaleLockouts() {
  if (forgetting_ || LockoutNowMs() < forgetDueMs_) return;
  forgetting_ = true;
  stores_.Submit([this](AccountStore* store) {
    uint32_t forgotten = 0;
    const StoreResult result =
        store ? store->LockoutForget(LockoutNowMs(), kLockoutForgetBatch, &forgotten) : StoreResult::kFailed;
    return [this, result, forgotten] {
      forgetting_ = false;
      const bool more = result == StoreResult::kOk && forgotten == kLockoutForgetBatch;
      forgetDueMs_ = LockoutNowMs() + (more ? 0 : kLockoutForgetEveryMs);
      if (result != StoreResult::kOk) ServerLog("stale lock-out counts cannot be deleted: the account store failed");
      if (forgotten > 0) ServerLog("deleted %u lock-out counts quiet for a day", forgotten);
    };
  });
}

void LobbyServer::AnswerCheck(const std::shared_ptr<ClientConnection>& connection, const std::string& name,
                              bool matches, const CheckAnswer& a) {
  const bool waiting = connection->GetState() == ClientConnection::State::kVerifying;
  if (!matches) {
    uint16_t reason = kDeniedWrongPassword;
    if (a.stored != StoreResult::kOk) {
      // An uncounted guess would be a free one: refused, whatever it was.
      ServerLog("user %s: a wrong password from %s cannot be counted: the account store failed", name.c_str(),
                connection->Address().c_str());
      reason = kDeniedFull;
    } else if (a.outcome == LockoutOutcome::kAddressLocked) {
      ServerLog("user %s locked out for %s after %u wrong passwords from it", name.c_str(),
                connection->Address().c_str(), config_.lockoutFailures);
      reason = kDeniedLockedOut;
    } else if (a.outcome == LockoutOutcome::kAccountLocked) {
      ServerLog("user %s locked after %u wrong passwords", name.c_str(), config_.accountLockoutFailures);
      reason = kDeniedLockedOut;
    }
    if (reason == kDeniedLockedOut) metrics_.lockouts.fetch_add(1);
    if (waiting) Deny(connection, name, reason);
    return;
  }
  // Locked meanwhile by the administrator?
  if (!waiting || !PassesLockout(connection, name, a.stored, a.locked)) return;
  if (a.cleared != StoreResult::kOk) {
    ServerLog("user %s: the count of wrong passwords from %s cannot be cleared", name.c_str(),
              connection->Address().c_str());
  }
  if (LobbyFull(name)) {
    Deny(connection, name, kDeniedFull);
    return;
  }
  Admit(connection, name);
}

bool LobbyServer::PassesLockout(const std::shared_ptr<ClientConnection>& connection, const std::string& name,
                                StoreResult checked, bool locked) {
  switch (checked) {
    case StoreResult::kOk:
      break;
    case StoreResult::kNotFound:
      Deny(connection, name, kDeniedNoSuchUser);
      return false;
    default:
      // Not "no such user": the account may well exist.
      Deny(connection, name, kDeniedFull, "the account store cannot be read");
      return false;
  }
  if (locked) Deny(connection, name, kDeniedLockedOut);
  return !locked;
}

bool LobbyServer::LobbyFull(const std::string& name) const {
  size_t admitted = online_.size();
  // A user already online replaces the older connection.
  if (online_.count(Lower(name))) --admitted;
  return admitted >= config_.maxPlayers;
}

void LobbyServer::CountAdmission(ClientConnection* connection, uint16_t result) {
  auto kind = registering_.find(connection);
  if (kind == registering_.end() || result >= kAdmissionResults) return;
  (kind->second ? metrics_.registrations : metrics_.logins)[result].fetch_add(1);
  registering_.erase(kind);
}

// Counts the hash as queued until a worker takes it, then as running.
HashPool::Job LobbyServer::Timed(HashPool::Job job) {
  metrics_.hashesPending.fetch_add(1);
  return [this, job = std::move(job)] {
    metrics_.hashesRunning.fetch_add(1);
    HashPool::Answer answer;
    {
      MetricsTimer timed(&metrics_.hashes, &metrics_.hashMicroseconds);
      answer = job();
    }
    metrics_.hashesRunning.fetch_sub(1);
    metrics_.hashesPending.fetch_sub(1);
    return answer;
  };
}

void LobbyServer::Deny(const std::shared_ptr<ClientConnection>& connection, const std::string& user, uint16_t reason,
                       const char* why) {
  CountAdmission(connection.get(), reason);
  ServerLog("#%llu %s refused user %s: reason %u%s%s", static_cast<unsigned long long>(connection->Id()),
            connection->Peer().c_str(), LogSafe(user).c_str(), reason, why ? ": " : "", why ? why : "");
  uint8_t body[2];
  AccessDeniedBuild(reason, body);
  connection->Send(kMessageAccessDenied, body);
  connection->CloseAfterSending("refused");
}

void LobbyServer::Admit(const std::shared_ptr<ClientConnection>& connection, const std::string& name) {
  const std::string key = Lower(name);
  auto older = online_.find(key);
  if (older != online_.end()) {
    std::shared_ptr<ClientConnection> previous = older->second;
    online_.erase(older);
    previous->Send(kMessageServerAlert, ServerAlertBuild("You have been logged in from another place."));
    previous->CloseAfterSending("logged in from another place");
  }
  online_[key] = connection;
  metrics_.admitted = static_cast<int64_t>(online_.size());
  CountAdmission(connection.get(), 0);
  connection->SetAdmitted(name);
  // Another server holding the user closes its session when it hears.
  if (shared_) shared_->Admitted(name, connection->Peer());
  ServerLog("#%llu %s admitted user %s %s", static_cast<unsigned long long>(connection->Id()),
            connection->Peer().c_str(), name.c_str(), connection->Tls() ? "over TLS" : "in plain");

  uint8_t granted[kAccessGrantedLength];
  AccessGrantedBuild(config_.newestClientVersion, config_.disclaimerVersion, granted);
  connection->Send(kMessageAccessGranted, granted);
  for (const RoomRuntime& room : rooms_) {
    if (room.config.state != RoomState::kClosed) SendRoom(*connection, room, true);
  }
  connection->Send(kMessageWelcomeText, WelcomeTextBuild(welcome_));
}
