#include "net/session_endpoint.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "net/net_transport.h"
#include "net/service.h"
#include "tests/media/media_fixtures.h"

namespace {

namespace fs = std::filesystem;

// Each test runs in a scratch current directory holding data/common, with
// the override variables unset.
struct EndpointFixture : ::testing::Test {
  void SetUp() override {
    saved = fs::current_path();
    fs::create_directories(fs::path(scratch.Path("")) / "data" / "common");
    fs::current_path(scratch.Path(""));
    unsetenv(kServerHostVariable);
    unsetenv(kServerPortVariable);
  }
  void TearDown() override {
    unsetenv(kServerHostVariable);
    unsetenv(kServerPortVariable);
    fs::current_path(saved);
  }
  void WriteDebugFile(const Bytes& bytes) {
    scratch.Write("data/common/odebug.ors", bytes);
  }
  ScratchDir scratch{"endpoint"};
  fs::path saved;
};

TEST_F(EndpointFixture, DebugResourceFileSelectsThePort) {
  Bytes garbage = TextBytes("this is not a resource file at all");
  Bytes badMagic = MakeResourceFile({});
  badMagic[5] = 'X';
  struct Case {
    const char* name;
    const Bytes* file;  // nullptr: no file
    uint16_t port;
  };
  const Bytes empty;
  const Bytes valid = MakeResourceFile({});
  const Bytes validWithItem = MakeResourceFile({{kTagText, 1, TextBytes("debug")}});
  const Bytes truncated(validWithItem.begin(), validWithItem.begin() + 28);
  const Case cases[] = {
      {"no file", nullptr, 2000},
      {"valid, no items", &valid, 2500},
      {"valid with an item", &validWithItem, 2500},
      {"empty file", &empty, 2000},
      {"not a resource file", &garbage, 2000},
      {"wrong magic", &badMagic, 2000},
      {"truncated directory", &truncated, 2000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove("data/common/odebug.ors");
    if (c.file) WriteDebugFile(*c.file);
    EXPECT_EQ(SessionPortChoose(), c.port);
    EXPECT_EQ(SessionEndpointGet().port, c.port);
  }
  // A directory of that name is no file either.
  fs::remove("data/common/odebug.ors");
  fs::create_directory("data/common/odebug.ors");
  EXPECT_EQ(SessionPortChoose(), 2000);
}

TEST(SessionPortParse, DigitsOnlyFrom1To65535) {
  struct Case { const char* text; uint16_t port; };
  const Case cases[] = {
      {"1", 1}, {"2000", 2000}, {"65535", 65535}, {"02500", 2500},
      {nullptr, 0}, {"", 0}, {"0", 0}, {"65536", 0}, {"99999999999999999999", 0},
      {"-1", 0}, {"+80", 0}, {" 80", 0}, {"80 ", 0}, {"80a", 0}, {"0x50", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "(null)");
    EXPECT_EQ(SessionPortParse(c.text), c.port);
  }
}

TEST_F(EndpointFixture, UnsetVariablesGiveTheBuiltInEndpoint) {
  const SessionEndpoint e = SessionEndpointGet();
  EXPECT_STREQ(e.host, ServiceServerHost());
  EXPECT_EQ(e.port, 2000);
}

TEST_F(EndpointFixture, VariablesOverrideHostAndPort) {
  WriteDebugFile(MakeResourceFile({}));
  setenv(kServerHostVariable, "127.0.0.1", 1);
  setenv(kServerPortVariable, "40123", 1);
  SessionEndpoint e = SessionEndpointGet();
  EXPECT_STREQ(e.host, "127.0.0.1");
  EXPECT_EQ(e.port, 40123);  // over the debug port too

  // Each variable stands alone.
  unsetenv(kServerHostVariable);
  e = SessionEndpointGet();
  EXPECT_STREQ(e.host, ServiceServerHost());
  EXPECT_EQ(e.port, 40123);
}

TEST_F(EndpointFixture, BadValuesAreIgnored) {
  WriteDebugFile(MakeResourceFile({}));
  const std::string longHost(kServerHostSize, 'h');
  struct Case { const char* host; const char* port; };
  const Case cases[] = {{"", "70000"}, {longHost.c_str(), "12ab"}, {"", ""}, {"", "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port);
    setenv(kServerHostVariable, c.host, 1);
    setenv(kServerPortVariable, c.port, 1);
    const SessionEndpoint e = SessionEndpointGet();
    EXPECT_STREQ(e.host, ServiceServerHost());
    EXPECT_EQ(e.port, 2500);
  }
  // The longest name that fits is taken whole.
  const std::string fits(kServerHostSize - 1, 'h');
  setenv(kServerHostVariable, fits.c_str(), 1);
  EXPECT_EQ(std::string(SessionEndpointGet().host), fits);
}

}  // namespace

namespace {

// The transport's variables: only an explicit "off" is plain; a pin is kept
// even when it does not parse, so it matches no server rather than none.
TEST(NetTransport, OnlyAnExplicitOffIsPlainAndABadPinMatchesNothing) {
  struct Case {
    const char* tls;
    const char* pin;
    bool expectTls;
    bool expectPinned;
    uint8_t firstPinByte;
  };
  const std::string goodPin = "AB" + std::string(62, '0');
  const std::string notHex = std::string(63, '0') + "g";
  const Case cases[] = {
      {"off", nullptr, false, false, 0},
      {"on", nullptr, true, false, 0},
      {"0", nullptr, true, false, 0},
      {"OFF ", nullptr, true, false, 0},
      {"on", goodPin.c_str(), true, true, 0xAB},
      {"on", "ab00", true, true, 0},
      {"on", notHex.c_str(), true, true, 0},
  };
  for (const Case& c : cases) {
    if (c.tls) setenv(kServerTlsVariable, c.tls, 1); else unsetenv(kServerTlsVariable);
    if (c.pin) setenv(kServerPinVariable, c.pin, 1); else unsetenv(kServerPinVariable);
    const NetTransport t = NetTransportGet();
    EXPECT_EQ(t.tls, c.expectTls) << (c.tls ? c.tls : "unset");
    EXPECT_EQ(t.pinned, c.expectPinned) << (c.pin ? c.pin : "unset");
    EXPECT_EQ(t.pin[0], c.firstPinByte) << (c.pin ? c.pin : "unset");
  }
  unsetenv(kServerTlsVariable);
  unsetenv(kServerPinVariable);
}

}  // namespace
