#pragma once
// A fresh database on the throw-away PostgreSQL cluster the test command
// starts (tests/server/postgresql_cluster.sh), dropped when it goes.

#include <string>

class PgTestDatabase {
 public:
  PgTestDatabase();
  ~PgTestDatabase();
  PgTestDatabase(const PgTestDatabase&) = delete;
  PgTestDatabase& operator=(const PgTestDatabase&) = delete;

  // Empty when there is no cluster (SkipReason() says why) or when the
  // cluster failed (Broken(), a test failure).
  const std::string& Url() const { return url_; }
  const std::string& SkipReason() const { return skip_; }
  bool Broken() const { return broken_; }
  // Runs sql on the database; its first value, or "" (error set when it failed).
  std::string Query(const std::string& sql, std::string* error = nullptr) const;

 private:
  std::string admin_;  // the cluster's maintenance database
  std::string name_;
  std::string url_;
  std::string skip_;
  bool broken_ = false;
};
