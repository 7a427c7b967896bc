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

void LobbyServer::Register(const std::shared_ptr<ClientConnection>& connection, const AccessRequestFields& request) {
  if (!RegistrationValid(request)) {
    connection->Close("invalid registration data");
    return;
  }
  Account existing;
  const StoreResult found = store_->Find(request.userName, &existing);
  if (found == StoreResult::kFailed) {
    connection->Close("account store failed");
    return;
  }
  if (found == StoreResult::kOk) {
    Deny(connection, request.userName, kDeniedNameTaken);
    return;
  }
  if (LobbyFull(request.userName)) {
    Deny(connection, request.userName, kDeniedFull);
    return;
  }
  connection->SetVerifying();
  Account account;
  account.name = request.userName;
  account.fullName = request.fullName;
  account.email = request.email;
  account.personalInfo = request.personalInfo;
  const std::string password = request.password;
  const HashStrength strength = config_.hash;
  WorkGuard work = std::make_shared<WorkGuard::element_type>(io_.get_executor());
  pool_.Submit([this, connection, account, password, strength, work]() mutable {
    account.passwordHash = PasswordHashMake(password, strength);
    asio::post(io_, [this, connection, account, work] {
      if (stopped_ || connection->GetState() != ClientConnection::State::kVerifying) return;
      if (account.passwordHash.empty()) {
        connection->Close("password hashing failed");
        return;
      }
      switch (store_->Create(account)) {
        case StoreResult::kOk:
          break;
        case StoreResult::kExists:
          Deny(connection, account.name, kDeniedNameTaken);
          return;
        default:
          connection->Close("account store failed");
          return;
      }
      ServerLog("#%llu registered user %s", static_cast<unsigned long long>(connection->Id()), account.name.c_str());
      if (LobbyFull(account.name)) {
        Deny(connection, account.name, kDeniedFull);
        return;
      }
      Admit(connection, account.name);
    });
  });
}

void LobbyServer::LogIn(const std::shared_ptr<ClientConnection>& connection, const AccessRequestFields& request) {
  Account account;
  switch (store_->Find(request.userName, &account)) {
    case StoreResult::kOk:
      break;
    case StoreResult::kNotFound:
      Deny(connection, request.userName, kDeniedNoSuchUser);
      return;
    default:
      connection->Close("account store failed");
      return;
  }
  if (account.locked) {
    Deny(connection, account.name, kDeniedLockedOut);
    return;
  }
  connection->SetVerifying();
  const std::string password = request.password;
  WorkGuard work = std::make_shared<WorkGuard::element_type>(io_.get_executor());
  pool_.Submit([this, connection, hash = account.passwordHash, name = account.name, password, work] {
    const bool matches = PasswordHashVerify(hash, password);
    asio::post(io_, [this, connection, name, matches, work] { FinishLogIn(connection, name, matches); });
  });
}

void LobbyServer::FinishLogIn(const std::shared_ptr<ClientConnection>& connection, const std::string& name,
                              bool matches) {
  if (stopped_) return;
  // The count is kept even when the client left before the answer, so that
  // hanging up early does not buy more guesses.
  bool locked = false;
  if (!matches) {
    store_->RecordFailure(name, config_.lockoutFailures, &locked);
    if (locked) ServerLog("user %s locked after %u wrong passwords", name.c_str(), config_.lockoutFailures);
  }
  if (connection->GetState() != ClientConnection::State::kVerifying) return;
  if (!matches) {
    Deny(connection, name, kDeniedWrongPassword);
    return;
  }
  // Locked meanwhile, by the administrator or by guesses on other connections.
  Account account;
  if (store_->Find(name, &account) != StoreResult::kOk) {
    Deny(connection, name, kDeniedNoSuchUser);
    return;
  }
  if (account.locked) {
    Deny(connection, name, kDeniedLockedOut);
    return;
  }
  if (account.failures != 0) store_->ResetFailures(name);
  if (LobbyFull(name)) {
    Deny(connection, name, kDeniedFull);
    return;
  }
  Admit(connection, account.name);
}

bool LobbyServer::LobbyFull(const std::string& name) const {
  size_t admitted = online_.size();
  // A user already online replaces the older connection.
  if (online_.count(Lower(name))) --admitted;
  return admitted >= config_.maxPlayers;
}

void LobbyServer::Deny(const std::shared_ptr<ClientConnection>& connection, const std::string& user, uint16_t reason) {
  ServerLog("#%llu %s refused user %s: reason %u", static_cast<unsigned long long>(connection->Id()),
            connection->Peer().c_str(), LogSafe(user).c_str(), reason);
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
  connection->SetAdmitted(name);
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
