#pragma once
// The lobby's tables in PostgreSQL, made or brought up to date at start.
// Several servers starting at once take turns on an advisory lock, and the
// version table says which changes a database already has.

#include <string>

class PgConnection;

// Makes or upgrades the schema; false with error set when it cannot, or
// when the database is newer than this server.
bool PostgresSchemaEnsure(PgConnection& db, std::string* error);
// The same up to version upTo only (a database as an older server
// left it); a database already past it is left as it is.
bool PostgresSchemaUpgrade(PgConnection& db, int upTo, std::string* error);
