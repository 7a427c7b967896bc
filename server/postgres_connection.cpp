#include "server/postgres_connection.h"

#include <cstdlib>

std::string PgResult::State() const {
  const char* s = r_ ? PQresultErrorField(r_, PG_DIAG_SQLSTATE) : nullptr;
  return s ? s : "";
}

int PgResult::Affected() const {
  const char* n = r_ ? PQcmdTuples(r_) : nullptr;
  return n && *n ? std::atoi(n) : 0;
}

std::string PgResult::Text(int row, int column) const {
  if (!r_ || row >= PQntuples(r_) || column >= PQnfields(r_)) return std::string();
  return std::string(PQgetvalue(r_, row, column), static_cast<size_t>(PQgetlength(r_, row, column)));
}

std::string PgResult::Bytes(int row, int column) const {
  const std::string escaped = Text(row, column);
  size_t length = 0;
  unsigned char* raw = PQunescapeBytea(reinterpret_cast<const unsigned char*>(escaped.c_str()), &length);
  if (!raw) return std::string();
  std::string out(reinterpret_cast<const char*>(raw), length);
  PQfreemem(raw);
  return out;
}

long long PgResult::Integer(int row, int column) const { return std::strtoll(Text(row, column).c_str(), nullptr, 10); }

PgConnection::PgConnection(std::string url, std::string passfile, std::vector<PgStatement> statements, Setup setup)
    : url_(std::move(url)), passfile_(std::move(passfile)), statements_(std::move(statements)), setup_(std::move(setup)) {}

PgConnection::~PgConnection() { PQfinish(conn_); }

bool PgConnection::Ready(std::string* error) {
  if (conn_ && PQstatus(conn_) == CONNECTION_OK) return true;
  PQfinish(conn_);
  // Later keywords win: the url's own connect_timeout over the default
  // bound, and the passfile over the url's.
  std::vector<const char*> keys = {"connect_timeout", "dbname", "application_name"};
  std::vector<const char*> values = {"5", url_.c_str(), "orva-lobbyd"};
  if (!passfile_.empty()) {
    keys.push_back("passfile");
    values.push_back(passfile_.c_str());
  }
  keys.push_back(nullptr);
  values.push_back(nullptr);
  conn_ = PQconnectdbParams(keys.data(), values.data(), 1);
  if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
    *error = Error();
    PQfinish(conn_);
    conn_ = nullptr;
    return false;
  }
  // A call that hangs on a lock or a stuck database ends with an error
  // rather than holding its worker for good.
  if (!Exec("SET statement_timeout = '10s'; SET client_min_messages = warning").Ok()) {
    *error = Error();
    PQfinish(conn_);
    conn_ = nullptr;
    return false;
  }
  if (setup_ && !setup_(*this, error)) {
    PQfinish(conn_);
    conn_ = nullptr;
    return false;
  }
  for (const PgStatement& s : statements_) {
    PgResult prepared(PQprepare(conn_, s.name, s.sql, 0, nullptr));
    if (!prepared.Ok()) {
      *error = std::string("cannot prepare ") + s.name + ": " + Error();
      PQfinish(conn_);
      conn_ = nullptr;
      return false;
    }
  }
  ++connects_;
  return true;
}

PgResult PgConnection::Run(const char* statement, const std::vector<PgParam>& params) {
  std::vector<const char*> values;
  std::vector<int> lengths, formats;
  for (const PgParam& p : params) {
    values.push_back(p.value.data());
    lengths.push_back(static_cast<int>(p.value.size()));
    formats.push_back(p.bytes ? 1 : 0);
  }
  // Text parameters end at their terminating zero: std::string has one.
  return PgResult(PQexecPrepared(conn_, statement, static_cast<int>(params.size()), values.data(), lengths.data(),
                                 formats.data(), 0));
}

PgResult PgConnection::Exec(const char* sql) { return PgResult(PQexec(conn_, sql)); }

std::string PgConnection::Error() const {
  std::string e = conn_ ? PQerrorMessage(conn_) : "out of memory";
  while (!e.empty() && (e.back() == '\n' || e.back() == ' ')) e.pop_back();
  for (char& c : e) {
    if (c == '\n') c = ' ';
  }
  return e;
}
