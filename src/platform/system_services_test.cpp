#include "platform/system_open.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
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
                              "echo \"$1\" > '" + record + ".tmp'\nmv '" + record + ".tmp' '" +
                              record + "'\n");
  const std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (dir.path() + ":" + old_path).c_str(), 1);

  SystemOpen("https://example.org/en/renderfarm/prices");
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
