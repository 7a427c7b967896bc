// The Debian packages as a player and an operator install them, unpacked
// into a scratch root (scripts/package.sh makes them in build/package/): the
// client, started from another folder with a fresh home, shows the splash
// and the gate and keeps what it writes in the home's data folder; the
// server starts with its packaged configuration as an unprivileged user.
// Without the packages the scenarios are skipped, unless
// SALVIND_REQUIRE_PACKAGES=1 (the display leg) makes that a failure.

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/display/display_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs argv to its end (bounded); its exit code, its output in outputPath.
std::optional<int> RunToEnd(const std::vector<std::string>& argv, const std::string& outputPath) {
  ChildProcess child;
  if (!child.Start(argv, EnvironmentWith({}), "", outputPath)) return std::nullopt;
  return child.WaitExit(60s);
}

// Every file, link and folder under dir with its size and modification time.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> entries;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(dir, error); !error && it != fs::recursive_directory_iterator();
       it.increment(error)) {
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) != 0) continue;
    entries[it->path().string()] = std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                                   std::to_string(st.st_mtim.tv_nsec) + " " + std::to_string(st.st_mode);
  }
  return entries;
}

class InstalledPackage : public DisplayScenario {
 protected:
  // build/package/<name>_<version>_<arch>.deb unpacked into runDir_/<folder>;
  // the test is skipped or failed without the package.
  void Unpack(const std::string& name, const std::string& folder) {
    const std::string prefix = name + "_" + SALVIND_VERSION + "_";
    std::string deb;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(SALVIND_PACKAGE_DIR, error)) {
      const std::string file = entry.path().filename().string();
      if (file.rfind(prefix, 0) == 0 && entry.path().extension() == ".deb") deb = entry.path().string();
    }
    if (deb.empty()) {
      const char* require = std::getenv("SALVIND_REQUIRE_PACKAGES");
      if (require && std::string(require) == "1") {
        FAIL() << "no " << prefix << "*.deb in " << SALVIND_PACKAGE_DIR << "; scripts/package.sh makes it";
      }
      GTEST_SKIP() << "no " << prefix << "*.deb in " << SALVIND_PACKAGE_DIR << "; scripts/package.sh makes it";
    }
    root_ = runDir_ + "/" + folder;
    const std::optional<int> code = RunToEnd({"/usr/bin/dpkg-deb", "-x", deb, root_}, runDir_ + "/dpkg.log");
    ASSERT_EQ(code, 0) << "dpkg-deb -x " << deb << ": " << ReadText(runDir_ + "/dpkg.log");
  }

  std::string root_;
};

TEST_F(InstalledPackage, TheClientStartsFromAnotherFolderAndWritesOnlyToTheHome) {
  Unpack("salvind", "root");
  if (IsSkipped() || HasFailure()) return;
  const std::string data = root_ + "/usr/share/salvind/data";
  const QImage splashPicture = Decoded(data + "/common/orva.ors", 0);
  const QImage gatePicture = Decoded(data + "/Salvind/start.oim");
  ASSERT_FALSE(splashPicture.isNull());
  ASSERT_FALSE(gatePicture.isNull());
  const std::string home = runDir_ + "/home";
  const std::string elsewhere = runDir_ + "/elsewhere";
  fs::create_directories(home);
  fs::create_directories(elsewhere);
  const std::map<std::string, std::string> before = Snapshot(root_ + "/usr");

  StartX(WindowManager::kOpenbox);
  StartClientAt(root_ + "/usr/games/salvind", elsewhere, {{"HOME", home}, {"XDG_DATA_HOME", ""}});
  const XWindowId gate = SplashThenGate(splashPicture, gatePicture);
  ASSERT_NE(gate, 0u);
  Shot("gate");
  ClickIn(gate, 320, 200);
  const XWindowId disclaimer = Window("Disclaimer Agreement");
  ASSERT_NE(disclaimer, 0u);
  ASSERT_NE(AcceptDisclaimer(disclaimer), 0u);

  // The accepted disclaimer is the player's; the installed one is as shipped.
  const std::string players = ReadText(home + "/.local/share/salvind/Salvind/disclaim.otx");
  const std::string shipped = ReadText(data + "/Salvind/disclaim.otx");
  ASSERT_GE(players.size(), 20u) << "the disclaimer was not written to the home's data folder";
  ASSERT_EQ(players.size(), shipped.size());
  EXPECT_EQ(players[15], 1);
  EXPECT_EQ(shipped[15], 0);
  client_.Stop();
  EXPECT_EQ(Snapshot(root_ + "/usr"), before) << "something was written under the installed tree";
  EXPECT_TRUE(fs::is_empty(elsewhere)) << "something was written in the current folder";
}

TEST_F(InstalledPackage, TheServerStartsWithItsPackagedConfigurationAsAnUnprivilegedUser) {
  // The packaged configuration names absolute paths (/etc, /usr/share,
  // /var/lib); only a chroot puts the scratch root there, and only root may
  // make one and then become another user.
  if (::geteuid() != 0) GTEST_SKIP() << "a chroot into the unpacked package needs root";
  Unpack("orva-lobbyd", "server-root");
  if (IsSkipped() || HasFailure()) return;
  const std::string lobbyd = root_ + "/usr/sbin/orva-lobbyd";
  const std::string lobbyctl = root_ + "/usr/sbin/orva-lobbyctl";
  // The libraries the programs are linked with, at their own paths inside.
  std::set<std::string> libraries;
  for (const std::string& program : {lobbyd, lobbyctl}) {
    ASSERT_EQ(RunToEnd({"/usr/bin/ldd", program}, runDir_ + "/ldd.log"), 0) << ReadText(runDir_ + "/ldd.log");
    std::istringstream words(ReadText(runDir_ + "/ldd.log"));
    for (std::string word; words >> word;) {
      if (word[0] == '/') libraries.insert(word);
    }
    fs::remove(runDir_ + "/ldd.log");
  }
  for (const std::string& library : libraries) {
    fs::create_directories(fs::path(root_ + library).parent_path());
    fs::copy_file(fs::canonical(library), root_ + library);
  }
  // What StateDirectory= makes for the service: a folder of the user's own.
  const std::string state = root_ + "/var/lib/orva-lobbyd";
  fs::create_directories(state);
  ASSERT_EQ(::chown(state.c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chmod(state.c_str(), 0700), 0);

  const std::string user = "--userspec=" + std::to_string(kNobody) + ":" + std::to_string(kNobody);
  const std::string log = runDir_ + "/orva-lobbyd.log";
  ChildProcess server;
  ASSERT_TRUE(server.Start({"/usr/sbin/chroot", user, root_, "/usr/sbin/orva-lobbyd", "--config",
                            "/etc/orva-lobbyd/lobby.toml", "--listen", "127.0.0.1:0"},
                           EnvironmentWith({}), "", log));
  const std::regex listening("listening on 127\\.0\\.0\\.1:([0-9]+) with 6 rooms");
  std::smatch match;
  std::string text;
  for (int i = 0; i < 200 && !std::regex_search(text, match, listening); ++i) {
    std::this_thread::sleep_for(100ms);
    text = ReadText(log);
  }
  ASSERT_FALSE(match.empty()) << "the server did not listen: " << text;

  // chroot runs the server in its own process, as the user.
  const std::string status = ReadText("/proc/" + std::to_string(server.pid()) + "/status");
  EXPECT_NE(status.find("\nUid:\t65534\t65534\t65534\t65534\n"), std::string::npos) << status;
  // orva-lobbyctl reaches it over the admin socket in the state folder.
  const std::string answer = runDir_ + "/orva-lobbyctl.log";
  EXPECT_EQ(RunToEnd({"/usr/sbin/chroot", user, root_, "/usr/sbin/orva-lobbyctl", "--config",
                 "/etc/orva-lobbyd/lobby.toml", "users"},
                answer),
            0)
      << ReadText(answer);
  EXPECT_EQ(ReadText(answer).rfind("ok", 0), 0u) << ReadText(answer);
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitExit(10s), 0) << ReadText(log);
  struct stat st {};
  ASSERT_EQ(::stat((state + "/accounts.db").c_str(), &st), 0) << "no account database in the state folder";
  EXPECT_EQ(st.st_uid, kNobody);
}

}  // namespace
