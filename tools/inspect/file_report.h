#pragma once
// What orva-inspect file was asked for, and its one way of reporting a file
// it cannot describe.

#include <cstdint>
#include <string>
#include <vector>

struct InspectOptions {
  const char* file = nullptr;
  const char* png = nullptr;
  bool json = false;
  bool haveItem = false;
  uint32_t item = 0;
  int scale = 1;  // contact sheets drawn this many times larger (1 to 8)
};

// Prints {"kind", "error"} with --json, else a line on stderr; returns 1.
int InspectReport(const InspectOptions& o, const char* kind, const std::string& error);

// A building image set (gameImage false) or a game image file holding one:
// its rectangle, both animations and the closed picture, as text or JSON,
// or a contact sheet of every frame and the closed picture with --png.
int InspectBuilding(const InspectOptions& o, const std::vector<uint8_t>& bytes, bool gameImage);
