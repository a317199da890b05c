#include "estimate/unpacking.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

TEST(ArchiverSucceeded, OnlyRefusedLinksExcuseAnError) {
  EXPECT_TRUE(ArchiverSucceeded(0, {}));
  EXPECT_TRUE(ArchiverSucceeded(1, {"WARNING: something"}));
  EXPECT_TRUE(ArchiverSucceeded(2, {"ERROR: Dangerous link path was ignored : a/b",
                                    "ERROR: Dangerous link path was ignored : c"}));
  // An error of another kind among them, or none named at all, is a failure.
  EXPECT_FALSE(ArchiverSucceeded(2, {"ERROR: Dangerous link path was ignored : a",
                                     "ERROR: There is not enough space on the disk"}));
  EXPECT_FALSE(ArchiverSucceeded(2, {"Everything is Ok"}));
  // Fatal errors, bad command lines, a wrong password (255), no exit status.
  for (int status : {7, 8, 255, -1}) EXPECT_FALSE(ArchiverSucceeded(status, {})) << status;
}

}  // namespace
}  // namespace torva
