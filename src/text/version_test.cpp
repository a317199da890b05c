#include "text/version.h"

#include <gtest/gtest.h>

#include <iterator>

namespace torva {
namespace {

TEST(CompareVersions, PartByPartAsNumbers) {
  // Each newer than the one before it; the empty text comes before them all.
  const char* const kAscending[] = {
      "1.0",  "2.",   "2.6.9.0", "2.7",  "2.7.0", "2.7.0.1", "2.8",    "2.9",
      "2.9b", "2.10", "2.10a",   "5.1a", "5.1b",  "10.0",    "10.0.1", "99999999999999999999.1"};
  for (std::size_t i = 0; i < std::size(kAscending); ++i)
    for (std::size_t j = 0; j < std::size(kAscending); ++j)
      EXPECT_EQ(CompareVersions(kAscending[i], kAscending[j]) < 0, i < j)
          << kAscending[i] << " " << kAscending[j];
  EXPECT_LT(CompareVersions("", "1.0"), 0);
  EXPECT_EQ(CompareVersions("", ""), 0);
  EXPECT_EQ(CompareVersions("2.08", "2.8"), 0);
}

}  // namespace
}  // namespace torva
