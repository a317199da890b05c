#include "platform/system_open.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>

#include "platform/cpu_info.h"

namespace torva {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

TEST(SystemOpen, StartsTheOpenerWithoutWaitingAndLeavesNoChild) {
  std::string pattern = (fs::temp_directory_path() / "tm-open-XXXXXX").string();
  const std::string dir = mkdtemp(pattern.data());
  const std::string record = dir + "/opened.txt";
#ifdef __APPLE__
  const std::string opener = dir + "/open";
#else
  const std::string opener = dir + "/xdg-open";
#endif
  std::ofstream(opener) << "#!/bin/sh\necho chatter\nsleep 1\necho \"$1\" > \"" << record
                        << ".tmp\"\nmv \"" << record << ".tmp\" \"" << record << "\"\n";
  fs::permissions(opener, fs::perms::owner_all);
  const std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (dir + ":" + old_path).c_str(), 1);

  const Clock::time_point start = Clock::now();
  SystemOpen("https://example.org/en/renderfarm/prices");
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  while (!fs::exists(record) && Clock::now() - start < std::chrono::seconds(10)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  setenv("PATH", old_path.c_str(), 1);
  std::stringstream opened;
  opened << std::ifstream(record).rdbuf();
  EXPECT_EQ(opened.str(), "https://example.org/en/renderfarm/prices\n");
  fs::remove_all(dir);
}

TEST(CpuInfo, BrandWithoutLeadingBlanks) {
  const std::string brand = ProcessorBrand();
  if (!brand.empty()) {
    EXPECT_NE(brand.front(), ' ');
  }
#ifndef __APPLE__
  std::stringstream cpuinfo;
  cpuinfo << std::ifstream("/proc/cpuinfo").rdbuf();
  if (cpuinfo.str().find("model name") != std::string::npos) {
    EXPECT_NE(brand, "");
    EXPECT_NE(cpuinfo.str().find(": " + brand), std::string::npos);
  }
#endif
  EXPECT_GE(LogicalProcessors(), 1);
}

}  // namespace
}  // namespace torva
