// The lookup retry count lives for the whole program, so this test has a
// process of its own.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/net_socket.h"
#include "net/service.h"
#include "platform/testing.h"
#include "tests/net/net_test_support.h"

namespace {

std::vector<std::string> g_looked;
int g_failuresLeft = 0;

uint32_t FailingLookup(const char* name) {
  g_looked.emplace_back(name);
  if (g_failuresLeft > 0) {
    --g_failuresLeft;
    return 0;
  }
  return kLoopback;
}

void Ignore(NetSocket*, UserData) {}

TEST(LookupRetry, TheSeventhFailureInTheProgramsLifeEndsItEvenAfterASuccess) {
  InstallSeamHooks();
  PlatformSetLookupHook(&FailingLookup);
  TestListener listener;

  // Three failures, then the service's own name answers.
  g_failuresLeft = 3;
  NetSocket* first = NetOpen("lobby", 0, listener.Port(), &Ignore, &Ignore, 0);
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return first->socket != 0; }));
  const std::vector<std::string> firstNames = {"lobby", ServiceDomain(), ServiceDomain(), ServiceDomain()};
  EXPECT_EQ(g_looked, firstNames);
  EXPECT_TRUE(Seam().texts.empty());

  // Three more failures are retried; the fourth is the seventh of the run.
  g_looked.clear();
  g_failuresLeft = 100;
  NetSocket* second = NetOpen("lobby", 0, listener.Port(), &Ignore, &Ignore, 0);
  ASSERT_NE(second, nullptr);
  ASSERT_TRUE(PumpUntil([] { return !Seam().exitCodes.empty(); }));
  PumpRounds(20);
  EXPECT_EQ(g_looked.size(), 4u);
  ASSERT_EQ(Seam().texts.size(), 1u);
  EXPECT_EQ(Seam().titles[0], "Orva");
  EXPECT_EQ(Seam().texts[0], std::string("Could not lookup ") + ServiceDomain() + " in DNS.");
  EXPECT_EQ(Seam().exitCodes, std::vector<int>{1});
  EXPECT_EQ(second->socket, 0u);

  NetClose(second);
  NetClose(first);
  PlatformSetLookupHook(nullptr);
  RemoveSeamHooks();
}

}  // namespace
