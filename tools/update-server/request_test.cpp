#include "request.h"

#include <gtest/gtest.h>

#include <string>

namespace torva::update_server {
namespace {

TEST(RequestTest, VersionRequestGrowsIntoAWholeOne) {
  const std::string whole = "TORVAmeter_Maxwell v2.8 / Mac - Maxwell 5.2.1.49";
  EXPECT_EQ(CheckVersionRequest(whole), RequestState::kComplete);
  EXPECT_EQ(CheckVersionRequest("TORVAmeter_Maxwell v2.8 / Linux - Maxwell 5"),
            RequestState::kComplete);
  EXPECT_EQ(CheckVersionRequest(""), RequestState::kIncomplete);
  EXPECT_EQ(CheckVersionRequest("TORVA"), RequestState::kIncomplete);
  EXPECT_EQ(CheckVersionRequest("TORVAmeter_Maxwell v2.8 / Mac - Max"), RequestState::kIncomplete);
  // An empty renderer version is still a request.
  EXPECT_EQ(CheckVersionRequest("TORVAmeter_Maxwell v2.8 / Mac - Maxwell "),
            RequestState::kComplete);
}

TEST(RequestTest, ForeignOversizedAndBinaryRequestsAreMalformed) {
  EXPECT_EQ(CheckVersionRequest("GET / HTTP/1.1\r\n"), RequestState::kMalformed);
  EXPECT_EQ(CheckVersionRequest("TORVAmeter_Maxwell-update"), RequestState::kMalformed);
  EXPECT_EQ(CheckVersionRequest("TORVAmeter_Maxwell v" + std::string(kMaxRequestBytes, '9')),
            RequestState::kMalformed);
  EXPECT_EQ(CheckVersionRequest(std::string("TORVAmeter_Maxwell v2.8\0 / Mac", 30)),
            RequestState::kMalformed);
  EXPECT_EQ(CheckVersionRequest("TORVAmeter_Maxwell v2.\xc3\xa9"), RequestState::kMalformed);
}

TEST(RequestTest, UpdateRequestEndsWithItsParenthesis) {
  const std::string whole = "TORVAmeter_Maxwell-update   (Mac - Maxwell 5.2.1.49)";
  EXPECT_EQ(CheckUpdateRequest(whole), RequestState::kComplete);
  EXPECT_EQ(CheckUpdateRequest("TORVAmeter_Maxwell-update   (Linux - Maxwell 5)"),
            RequestState::kComplete);
  EXPECT_EQ(CheckUpdateRequest("TORVAmeter_Maxwell-update   (Li"), RequestState::kIncomplete);
  EXPECT_EQ(CheckUpdateRequest(whole.substr(0, 40)), RequestState::kIncomplete);
  EXPECT_EQ(CheckUpdateRequest(whole.substr(0, whole.size() - 1)), RequestState::kIncomplete);
  EXPECT_EQ(CheckUpdateRequest(whole + "x"), RequestState::kMalformed);
  EXPECT_EQ(CheckUpdateRequest("TORVAmeter_Maxwell-update  (Mac"), RequestState::kMalformed);
  EXPECT_EQ(CheckUpdateRequest("TORVAmeter_Maxwell v2.8"), RequestState::kMalformed);
}

}  // namespace
}  // namespace torva::update_server
