#include "app/startup.h"

#include <gtest/gtest.h>

#include "testing/scripted_session.h"

namespace torva {
namespace {

TEST(SetProbeLimit, TakesWholeSecondsUpToADay) {
  ScriptedSession session("");
  Program program(session.desktop(), "/nowhere");
  EXPECT_EQ(program.renderer_probe_limit_ms, 20000);
  EXPECT_TRUE(SetProbeLimit("1", program));
  EXPECT_EQ(program.renderer_probe_limit_ms, 1000);
  EXPECT_TRUE(SetProbeLimit("86400", program));
  EXPECT_EQ(program.renderer_probe_limit_ms, 86400000);
  for (const char* bad : {"", "0", "86401", "-5", "2.5", "10s", " 10", "99999999999"}) {
    EXPECT_FALSE(SetProbeLimit(bad, program)) << bad;
  }
  EXPECT_EQ(program.renderer_probe_limit_ms, 86400000);
}

}  // namespace
}  // namespace torva
