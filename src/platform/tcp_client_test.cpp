#include "platform/tcp_client.h"

#include <gtest/gtest.h>

#include <chrono>

#include "testing/network.h"

namespace torva {
namespace {

using Clock = std::chrono::steady_clock;

TEST(TcpConnectionTest, AConnectThatGetsNoAnswerEndsAtItsTimeLimit) {
  FullBacklog server;
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(TcpConnection::Connect("127.0.0.1", server.port(), 300), nullptr);
  // Far above the limit, far below the system's own time-out.
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(60));
}

}  // namespace
}  // namespace torva
