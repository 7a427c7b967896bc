#pragma once
// One libpq connection with its prepared statements, made again after the
// database has gone away and come back. Used by one thread at a time.

#include <libpq-fe.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A statement's result, cleared when it goes.
class PgResult {
 public:
  PgResult() = default;
  explicit PgResult(PGresult* r) : r_(r) {}
  PgResult(PgResult&& o) noexcept : r_(std::exchange(o.r_, nullptr)) {}
  PgResult& operator=(PgResult&& o) noexcept {
    std::swap(r_, o.r_);
    return *this;
  }
  ~PgResult() { PQclear(r_); }
  // Commands and queries that ran to the end.
  bool Ok() const {
    const ExecStatusType s = r_ ? PQresultStatus(r_) : PGRES_FATAL_ERROR;
    return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK;
  }
  // The SQLSTATE of an error ("23505": a unique key taken), empty if none.
  std::string State() const;
  int Rows() const { return r_ ? PQntuples(r_) : 0; }
  int Affected() const;
  std::string Text(int row, int column) const;
  // A bytea column, unescaped.
  std::string Bytes(int row, int column) const;
  long long Integer(int row, int column) const;
  bool Flag(int row, int column) const { return Text(row, column) == "t"; }
  bool Null(int row, int column) const { return PQgetisnull(r_, row, column) != 0; }
  PGresult* Get() const { return r_; }

 private:
  PGresult* r_ = nullptr;
};

// A parameter: text, or raw bytes for a bytea column.
struct PgParam {
  std::string value;
  bool bytes = false;
};

struct PgStatement {
  const char* name;
  const char* sql;
};

class PgConnection {
 public:
  // Runs at every connect before the statements are prepared.
  using Setup = std::function<bool(PgConnection&, std::string* error)>;
  // passfile may be empty; statements are prepared at every connect.
  PgConnection(std::string url, std::string passfile, std::vector<PgStatement> statements, Setup setup = nullptr);
  ~PgConnection();
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  // Connects, or connects again when the connection was lost; false with
  // error set when the database cannot be reached.
  bool Ready(std::string* error);
  PgResult Run(const char* statement, const std::vector<PgParam>& params);
  PgResult Exec(const char* sql);
  // The last error libpq reported, on one line.
  std::string Error() const;
  PGconn* Get() const { return conn_; }
  // How many times a connection was made.
  unsigned Connects() const { return connects_; }

 private:
  std::string url_;
  std::string passfile_;
  std::vector<PgStatement> statements_;
  Setup setup_;
  PGconn* conn_ = nullptr;
  unsigned connects_ = 0;
};
