#include "platform/system_open.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/cpu_info.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

TEST(SystemOpen, StartsTheOpenerWithoutWaitingAndLeavesNoChild) {
  TempFolder dir;
  const std::string go = dir.path() + "/go";
  const std::string record = dir.path() + "/opened.txt";
#ifdef __APPLE__
  const std::string opener = dir.path() + "/open";
#else
  const std::string opener = dir.path() + "/xdg-open";
#endif
  // The opener cannot finish before the test says so: had SystemOpen waited
  // for it, the record would already be there when SystemOpen returns.
  WriteExecutable(opener, "#!/bin/sh\necho chatter\nn=0\nwhile [ ! -e '" + go +
                              "' ] && [ $n -lt 600 ]; do sleep 0.1; n=$((n+1)); done\n"
                              "echo \"$1\" > '" +
                              record + ".tmp'\nmv '" + record + ".tmp' '" + record + "'\n");
  const std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (dir.path() + ":" + old_path).c_str(), 1);

  EXPECT_EQ(SystemOpen("https://example.org/en/renderfarm/prices", 100), OpenOutcome::kOpened);
  setenv("PATH", old_path.c_str(), 1);
  EXPECT_FALSE(fs::exists(record));
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  WriteFile(go, "");
  const Clock::time_point start = Clock::now();
  while (!fs::exists(record) && Clock::now() - start < std::chrono::seconds(60)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(ReadFile(record), "https://example.org/en/renderfarm/prices\n");
}

#ifdef __APPLE__
constexpr const char* kOpener = "open";
#else
constexpr const char* kOpener = "xdg-open";
#endif

// PATH holds only `dir` while the test runs.
class OnlyOnPath {
 public:
  explicit OnlyOnPath(const std::string& dir)
      : old_(std::getenv("PATH") ? std::getenv("PATH") : "") {
    setenv("PATH", dir.c_str(), 1);
  }
  ~OnlyOnPath() { setenv("PATH", old_.c_str(), 1); }

 private:
  std::string old_;
};

// What the opener said comes back: missing, failed, done; an opener still at
// work after the wait counts as done. No child is left behind either way.
TEST(SystemOpen, ReportsAMissingOrFailingOpener) {
  TempFolder dir;
  OnlyOnPath path(dir.path());
  EXPECT_EQ(SystemOpen("https://example.org/", 30'000), OpenOutcome::kNoOpener);

  const std::string opener = dir.path() + "/" + kOpener;
  WriteExecutable(opener, "#!/bin/sh\nexit 3\n");  // xdg-open: no tool to open it
  EXPECT_EQ(SystemOpen("https://example.org/", 30'000), OpenOutcome::kFailed);
  WriteExecutable(opener, "#!/bin/sh\nkill -9 $$\n");
  EXPECT_EQ(SystemOpen("https://example.org/", 30'000), OpenOutcome::kFailed);
  WriteExecutable(opener, "#!/bin/sh\n[ \"$1\" = '/a b/x.pdf' ]\n");
  EXPECT_EQ(SystemOpen("/a b/x.pdf", 30'000), OpenOutcome::kOpened);
  EXPECT_EQ(SystemOpen("/a b/y.pdf", 30'000), OpenOutcome::kFailed);
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(CpuInfo, BrandWithoutLeadingBlanks) {
  const std::string brand = ProcessorBrand();
  if (!brand.empty()) {
    EXPECT_NE(brand.front(), ' ');
  }
#ifndef __APPLE__
  const std::string cpuinfo = ReadFile("/proc/cpuinfo");
  if (cpuinfo.find("model name") != std::string::npos) {
    EXPECT_NE(brand, "");
    EXPECT_NE(cpuinfo.find(": " + brand), std::string::npos);
  }
#endif
  EXPECT_GE(LogicalProcessors(), 1);
}

}  // namespace
}  // namespace torva
