#include "tests/server/postgresql_test_database.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <fstream>

namespace {

std::string Run(const std::string& conninfo, const std::string& sql, std::string* error) {
  PGconn* conn = PQconnectdb(conninfo.c_str());
  std::string value;
  if (PQstatus(conn) != CONNECTION_OK) {
    if (error) *error = PQerrorMessage(conn);
  } else {
    PGresult* r = PQexec(conn, sql.c_str());
    const ExecStatusType s = PQresultStatus(r);
    if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK) {
      if (error) *error = PQerrorMessage(conn);
    } else if (PQntuples(r) > 0 && PQnfields(r) > 0) {
      value = PQgetvalue(r, 0, 0);
    }
    PQclear(r);
  }
  PQfinish(conn);
  return value;
}

}  // namespace

PgTestDatabase::PgTestDatabase() {
  std::ifstream info(ORVA_TEST_PG_INFO);
  if (!std::getline(info, admin_) || admin_.empty()) {
    skip_ = "no throw-away PostgreSQL cluster: the postgresql package is not installed, or the test ran outside "
            "ctest (whose fixture starts it)";
    return;
  }
  static std::atomic<int> counter{0};
  name_ = "orva_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
  std::string error;
  Run(admin_, "CREATE DATABASE " + name_, &error);
  if (!error.empty()) {
    skip_ = "the test cluster cannot make a database: " + error;
    broken_ = true;
    name_.clear();
    return;
  }
  url_ = admin_;
  url_.replace(url_.find("dbname=postgres"), 15, "dbname=" + name_);
}

PgTestDatabase::~PgTestDatabase() {
  if (!name_.empty()) Run(admin_, "DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)", nullptr);
}

std::string PgTestDatabase::Query(const std::string& sql, std::string* error) const {
  return Run(url_, sql, error);
}
