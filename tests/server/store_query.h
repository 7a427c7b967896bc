#pragma once
// SQL run straight on a test's account database, beside the store: to look
// at what the store keeps, or to make a database as an older server left it.

#include <string>

#include "server/config.h"
#include "tests/server/postgresql_test_database.h"

// Runs sql (one or more statements) on the SQLite file config names, or on
// pg when the configuration is PostgreSQL's; the first value of the last
// result, or "" with error set when it failed.
std::string StoreQuery(const ServerConfig& config, const PgTestDatabase* pg, const std::string& sql,
                       std::string* error = nullptr);
