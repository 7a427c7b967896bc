#pragma once
// The PostgreSQL connection text of the configuration: a libpq connection
// string or URI, which never holds the password (that comes from
// PGPASSWORD or a passfile, kept out of a file others may read).

#include <string>

// False with why set when url is not a connection string or URI libpq
// reads, or when it holds a password.
bool PostgresUrlCheck(const std::string& url, std::string* why);
