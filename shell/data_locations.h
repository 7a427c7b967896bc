#pragma once
// The two places the program's files come from. The tree holds the
// read-only data/ and games/ the program came with: beside the executable in
// a staged tree or an unpacked zip, ../share/salvind/ from it once installed.
// The writable folder stands for data/ in everything the program writes: the
// tree's own data/ when the tree is started from its own folder (as a
// developer or a portable copy runs it), else the player's data folder. Reads
// look in the writable folder first, then in the tree.

#include <filesystem>
#include <string>

struct DataLocations {
  // The folder holding data/ and games/; empty means the current directory,
  // and paths stay relative to it.
  std::string tree;
  // The folder written to, standing for data/ of the tree.
  std::string writable;
};

// Decides from the executable's absolute path, the current directory and the
// player's data folder (empty when the system names none). A tree that is
// neither beside the executable nor installed leaves everything relative to
// the current directory.
DataLocations DataLocationsFind(const std::filesystem::path& executable, const std::filesystem::path& current,
                                const std::string& playerFolder);

// The program's locations, found from the platform at the first call.
const DataLocations& DataLocationsGet();
// Replaces them; an empty tree and "data" as the writable folder is how a
// program that never asked behaves.
void DataLocationsSet(const DataLocations& locations);
