#include "app/logo.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "picture/picture.h"

namespace torva {
namespace {

TEST(EmbeddedLogo, IsTheAssetAndA405By89Picture) {
  std::ifstream file(TM_SOURCE_DIR "/assets/logo.png", std::ios::binary);
  const std::vector<std::uint8_t> asset{std::istreambuf_iterator<char>(file), {}};
  const auto embedded = EmbeddedLogoPng();
  ASSERT_FALSE(asset.empty());
  EXPECT_TRUE(std::equal(embedded.begin(), embedded.end(), asset.begin(), asset.end()));

  auto logo = DecodePng(embedded);
  ASSERT_TRUE(logo);
  EXPECT_EQ(logo->width, 405);
  EXPECT_EQ(logo->height, 89);
}

}  // namespace
}  // namespace torva
