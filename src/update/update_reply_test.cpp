#include "update/update_reply.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system_name.h"

namespace torva {
namespace {

TEST(UpdateReplyTest, RequestsAreTheExactBytes) {
  const std::string system = SystemName();
  EXPECT_EQ(VersionRequest("2.8", "5.2.1.49"),
            "TORVAmeter_Maxwell v2.8 / " + system + " - Maxwell 5.2.1.49");
  EXPECT_EQ(UpdateRequest("5.2.1.49"),
            "TORVAmeter_Maxwell-update   (" + system + " - Maxwell 5.2.1.49)");
}

TEST(UpdateReplyTest, ReplyEndsAtTheFirstZeroByteOrTheReceivedCount) {
  const char with_zero[] = {'2', '.', '9', '\0', 'x', 'y'};
  EXPECT_EQ(ReplyText(with_zero, sizeof with_zero), "2.9");
  EXPECT_EQ(ReplyText("2.9abc", 3), "2.9");  // nothing past the count is read
  std::string full(1000, '7');
  EXPECT_EQ(ReplyText(full.data(), full.size()), full);
  EXPECT_EQ(ReplyText("\0"
                      "2.9",
                      4),
            "");
}

TEST(UpdateReplyTest, BytesThatAreNotUtf8BecomeReplacementCharacters) {
  EXPECT_EQ(ReplyText("2.\xff\xc3", 4), "2.\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(ReplyText("v\xc3\xa9", 3), "v\xc3\xa9");
}

TEST(UpdateReplyTest, AnnouncedVersionFollowsTheFirstDash) {
  EXPECT_EQ(AnnouncedVersion("2.9"), "2.9");
  EXPECT_EQ(AnnouncedVersion("TORVAmeter-2.9"), "2.9");
  EXPECT_EQ(AnnouncedVersion(""), "");
}

TEST(UpdateReplyTest, VersionsComparePartByPart) {
  EXPECT_TRUE(IsNewerVersion("2.8", "2.9"));
  EXPECT_TRUE(IsNewerVersion("2.8", "2.8.1"));  // a version that begins the other is older
  EXPECT_TRUE(IsNewerVersion("2.8", "3"));
  EXPECT_FALSE(IsNewerVersion("2.8", "2.8"));
  EXPECT_TRUE(IsNewerVersion("2.8", "2.10"));
  EXPECT_TRUE(IsNewerVersion("2.8", "10.0"));
  EXPECT_FALSE(IsNewerVersion("2.8", "2."));
  EXPECT_FALSE(IsNewerVersion("2.8", ""));
  EXPECT_FALSE(IsNewerVersion("2.8", "2.\xc3\xa9"));  // a part without a number
}

}  // namespace
}  // namespace torva
