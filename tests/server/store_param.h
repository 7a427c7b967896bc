#pragma once
// Tests that run against both account stores: TEST_P fixtures over
// StoreKind, instantiated with BOTH_STORES, whose SetUp points the
// configuration at the store with USE_STORE.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "server/config.h"
#include "tests/server/postgresql_test_database.h"

inline std::string StoreKindName(const ::testing::TestParamInfo<StoreKind>& info) {
  return info.param == StoreKind::kSqlite ? "Sqlite" : "Postgresql";
}

inline void PrintTo(StoreKind kind, std::ostream* out) { *out << (kind == StoreKind::kSqlite ? "sqlite" : "postgresql"); }

#define BOTH_STORES ::testing::Values(StoreKind::kSqlite, StoreKind::kPostgresql), StoreKindName

// SQLite stays in the data directory; PostgreSQL gets a fresh database of
// the test cluster (held by database), and the test is skipped where there
// is no cluster.
#define USE_STORE(kind, config, database)                                                    \
  do {                                                                                       \
    if ((kind) != StoreKind::kPostgresql) break;                                             \
    (database) = std::make_unique<PgTestDatabase>();                                         \
    if ((database)->Broken()) FAIL() << (database)->SkipReason();                            \
    if ((database)->Url().empty()) GTEST_SKIP() << (database)->SkipReason();                 \
    (config)->store = StoreKind::kPostgresql;                                                \
    (config)->databaseUrl = (database)->Url();                                               \
  } while (0)
