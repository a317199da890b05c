#include "platform/line_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

TEST(LineLog, EachLineIsOnDiskAsWrittenBytesAndAll) {
  TempFolder folder;
  const std::string path = folder.path() + "/project.log";
  WriteFile(path, "an older log\n");
  LineLog log;
  ASSERT_TRUE(log.Open(path));
  log.Write(std::string("caf\xE9 \0 end", 10));
  EXPECT_EQ(ReadFile(path), std::string("caf\xE9 \0 end\n", 11));  // a NUL does not end it
  log.Write("second");
  EXPECT_TRUE(log.Close());
  EXPECT_FALSE(log.Close());  // nothing open any more

  ASSERT_TRUE(log.Open(path, LineLog::Start::kAtEnd));
  log.Write("third");
  log.Close();
  EXPECT_EQ(ReadFile(path), std::string("caf\xE9 \0 end\nsecond\nthird\n", 24));
}

TEST(LineLog, ANewLogIsNeverWrittenThroughALink) {
  TempFolder folder;
  const std::string victim = folder.path() + "/victim";
  const std::string path = folder.path() + "/estimate.log";
  WriteFile(victim, "keep me");
  std::filesystem::create_symlink(victim, path);
  LineLog log;
  ASSERT_TRUE(log.Open(path));
  log.Write("line");
  log.Close();
  EXPECT_EQ(ReadFile(victim), "keep me");
  EXPECT_EQ(ReadFile(path), "line\n");

  // A log that cannot be opened drops its lines without failing.
  LineLog nowhere;
  EXPECT_FALSE(nowhere.Open(folder.path() + "/no/such/folder/x.log"));
  nowhere.Write("dropped");
  EXPECT_FALSE(nowhere.Close());
}

}  // namespace
}  // namespace torva
