#pragma once
// The server's log: one line per event on standard error, with the time.
// Passwords never reach it.

#include <cstdarg>
#include <string>

void ServerLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// text with every byte outside printable ASCII replaced by '?', for texts
// that come from clients (a user name must not forge a log line).
std::string LogSafe(const std::string& text);
// Off for benchmarks that open thousands of connections.
void ServerLogSetEnabled(bool enabled);
