#include "server/postgres_url.h"

#include <libpq-fe.h>

bool PostgresUrlCheck(const std::string& url, std::string* why) {
  char* message = nullptr;
  PQconninfoOption* options = PQconninfoParse(url.c_str(), &message);
  if (!options) {
    *why = message ? message : "cannot be read";
    // libpq's message ends in a newline.
    while (!why->empty() && (why->back() == '\n' || why->back() == '\r')) why->pop_back();
    PQfreemem(message);
    return false;
  }
  bool password = false;
  for (const PQconninfoOption* o = options; o->keyword; ++o) {
    if (std::string(o->keyword) == "password" && o->val && *o->val) password = true;
  }
  PQconninfoFree(options);
  if (password) {
    *why = "must not hold the password: set PGPASSWORD or accounts.passfile";
    return false;
  }
  return true;
}
