// Temporary files of an interrupted replace are removed at start: only their
// pattern, only in the folder given, only those written before the start.

#include "shell/leftover_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>


namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A temporary name of this platform's replace and near misses of it.
#ifdef _WIN32
constexpr const char* kLeftover = "chess.ogi.4242.7.tmp";
constexpr const char* kOtherLeftover = "disclaim.otx.1.1.tmp";
constexpr const char* kNearMisses[] = {"chess.ogi.4242.tmp", "chess.ogi.42x2.7.tmp", ".1.7.tmp", "chess.tmp"};
#else
constexpr const char* kLeftover = "chess.ogi.Ab12Cd";
constexpr const char* kOtherLeftover = "disclaim.otx.000zZ9";
constexpr const char* kNearMisses[] = {"chess.ogi.Ab12C", "chess.ogi.Ab-2Cd", ".Ab12Cd", "chess.ogi.Ab12Cd7"};
#endif

class LeftoverFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("salvind-leftovers-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "inner");
  }
  void TearDown() override { fs::remove_all(dir_); }
  // A file written at the given distance from the start.
  fs::path Make(const fs::path& path, fs::file_time_type::duration fromStart) {
    std::ofstream(path) << "part of a set";
    fs::last_write_time(path, start_ + fromStart);
    return path;
  }
  fs::path dir_;
  const fs::file_time_type start_ = fs::file_time_type::clock::now();
};

TEST_F(LeftoverFiles, OnlyTheOlderTemporariesOfTheFolderItselfGo) {
  const fs::path old = Make(dir_ / kLeftover, -1h);
  const fs::path oldOther = Make(dir_ / kOtherLeftover, -1s);
  const fs::path writingNow = Make(dir_ / (std::string("go.") + kLeftover), 1s);
  const fs::path inner = Make(dir_ / "inner" / kLeftover, -1h);
  const fs::path data = Make(dir_ / "chess.ogi", -1h);
  std::vector<fs::path> misses;
  for (const char* name : kNearMisses) misses.push_back(Make(dir_ / name, -1h));
  fs::create_directory(dir_ / (std::string("folder.") + kLeftover));

  EXPECT_EQ(RemoveLeftoverTemporaries(dir_.string().c_str(), start_), 2);
  EXPECT_FALSE(fs::exists(old));
  EXPECT_FALSE(fs::exists(oldOther));
  EXPECT_TRUE(fs::exists(writingNow)) << "written after the start: another copy may be writing it";
  EXPECT_TRUE(fs::exists(inner)) << "only the folder itself";
  EXPECT_TRUE(fs::exists(data));
  for (const fs::path& miss : misses) EXPECT_TRUE(fs::exists(miss)) << miss;
  EXPECT_TRUE(fs::exists(dir_ / (std::string("folder.") + kLeftover)));
}

TEST_F(LeftoverFiles, AMissingFolderRemovesNothing) {
  EXPECT_EQ(RemoveLeftoverTemporaries((dir_ / "none").string().c_str(), start_), 0);
}

}  // namespace
