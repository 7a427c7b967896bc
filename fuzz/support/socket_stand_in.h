#pragma once
// The socket layer without sockets, for driving a Connection's reader from a
// byte buffer. Linking support/socket_stand_in.cpp replaces NetOpen,
// NetClose, NetRead and NetWrite (and the alert box the reader opens for a
// server alert): objects of the target come before the libraries.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SocketFeed {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t position = 0;  // the next byte NetRead hands out
  size_t waiting = 0;   // bytes up to here have "arrived"
  std::vector<uint8_t> written;          // everything NetWrite queued
  std::vector<std::string> alertTexts;   // what the alert box was asked to show
  int openSockets = 0;
};

// The one feed every stand-in works on; reset it before each input.
SocketFeed& Feed();
