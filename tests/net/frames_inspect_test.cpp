#include "tools/inspect/frames.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/memory.h"
#include "protocol/message_build.h"
#include "tests/net/net_test_support.h"

extern char** environ;

namespace {

std::vector<uint8_t> LogInFrame() {
  const AccessRequestDetails d = {"bob", "pw", 2, 0, nullptr, nullptr, nullptr};
  uint32_t length = 0;
  uint8_t* body = AccessRequestBuild(&d, &length);
  std::vector<uint8_t> frame = Frame(16, std::vector<uint8_t>(body, body + length));
  MemFree(body);
  return frame;
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(InspectFrames, EachMessageBecomesOneJsonObjectWithItsFields) {
  const std::vector<uint8_t> stream = Join({
      LogInFrame(),
      Frame(66, {0, 0, 0, 7, 0, 0, 0, 3, 0, 2}),
      Frame(68, {0, 0, 0, 9, 'I', 'M', 'G'}),
      Frame(1, {0, 0, 0, 0, 'h', 'i', '\n', 0}),
  });
  bool clean = false;
  const std::string json = FramesDescribe(stream, true, &clean);
  EXPECT_TRUE(clean);
  EXPECT_EQ(json,
            "[{\"offset\":0,\"type\":16,\"name\":\"AccessRequest\",\"padded\":80,\"length\":80,"
            "\"fields\":{\"signature\":1886547058,\"version\":1,\"user_name\":\"bob\",\"password\":\"pw\","
            "\"client_kind\":3,\"os_kind\":2,\"new_user\":0}},"
            "{\"offset\":92,\"type\":66,\"name\":\"RoomStatus\",\"padded\":12,\"length\":10,"
            "\"fields\":{\"room_id\":7,\"players\":3,\"state\":2}},"
            "{\"offset\":116,\"type\":68,\"name\":\"GameImage\",\"padded\":8,\"length\":7,"
            "\"fields\":{\"room_id\":9,\"set_length\":3}},"
            "{\"offset\":136,\"type\":1,\"name\":\"WelcomeText\",\"padded\":8,\"length\":8,"
            "\"fields\":{\"text\":\"hi\\n\"}}]\n");
}

TEST(InspectFrames, RuleBreakersCarryAnErrorAndATruncatedTailIsReported) {
  struct Case { const char* what; std::vector<uint8_t> bytes; std::string error; };
  std::vector<uint8_t> cut = Frame(65, std::vector<uint8_t>(64, 0));
  cut.resize(40);
  const Case cases[] = {
      {"short body", Frame(65, {1, 2, 3}), "body of 3 bytes is shorter than its layout (64)"},
      {"broken lengths", Frame(1, {1, 2, 3, 4}, 4, 9), "broken frame: length above padded length"},
      {"a sound message", Frame(17, {0, 1}), ""},
      {"alert without end", Frame(0xFFFFFFFFu, {0, 1, 'a', 'b'}), "text text does not end inside its field"},
      {"truncated header", {0, 0, 0, 1, 0, 0}, "truncated header: 6 of 12 bytes"},
      {"truncated body", cut, "truncated body: 28 of 64 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool clean = true;
    const std::string json = FramesDescribe(c.bytes, true, &clean);
    EXPECT_EQ(clean, c.error.empty());
    if (c.error.empty()) {
      EXPECT_EQ(json.find("\"error\""), std::string::npos) << json;
    } else {
      EXPECT_NE(json.find("\"error\":\"" + c.error + "\""), std::string::npos) << json;
    }
  }
}

TEST(InspectFrames, TheCommandPrintsOneLinePerMessageAndFailsOnBrokenInput) {
  char path[] = "/tmp/orva-frames-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  const std::vector<uint8_t> stream = Join({Frame(0x87654321u, {}), Frame(17, {0, 3}), {0, 0}});
  ASSERT_EQ(write(fd, stream.data(), stream.size()), static_cast<ssize_t>(stream.size()));
  close(fd);

  int out[2];
  ASSERT_EQ(pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  char* argv[] = {const_cast<char*>(ORVA_INSPECT), const_cast<char*>("frames"), path, nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, ORVA_INSPECT, &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char buffer[512];
  ssize_t n;
  while ((n = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  unlink(path);
  EXPECT_EQ(text,
            "0: Echo type=2271560481 padded=0 length=0\n"
            "12: AccessDenied type=17 padded=4 length=2 reason=3\n"
            "28: error: truncated header: 2 of 12 bytes\n");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
