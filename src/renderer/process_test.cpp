#include "renderer/process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/child_process.h"
#include "testing/commands.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using Clock = std::chrono::steady_clock;

const std::string kChild = TM_TEST_CHILD;

std::vector<std::string> ReadAll(ExternalProcess& process) {
  std::vector<std::string> lines;
  while (process.Running()) {
    process.WaitForOutput();
    if (process.OutputAvailable()) lines.push_back(process.ReadLine());
  }
  process.Close();
  return lines;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

bool EventuallyExists(const std::string& path) {
  const Clock::time_point start = Clock::now();
  while (!std::filesystem::exists(path)) {
    if (SecondsSince(start) > 60) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// No child of this process is left, not even an unreaped one.
bool NoChildrenLeft() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

TEST(ExternalProcess, PassesArgumentsAndWorkingFolder) {
  TempFolder dir;
  ExternalProcess process =
      ExternalProcess::Launch(kChild, {"args", "two words", "plain"}, dir.path());
  ASSERT_TRUE(process.Started());
  const std::string cwd = std::filesystem::canonical(dir.path()).string();
  EXPECT_THAT(ReadAll(process), ElementsAre("[two words]", "[plain]", "cwd=" + cwd));
  EXPECT_FALSE(process.Running());
}

TEST(ExternalProcess, StandardInputAndErrorAreNotConnected) {
  ExternalProcess process = ExternalProcess::Launch(kChild, Words("stdio"), "/");
  EXPECT_THAT(ReadAll(process), ElementsAre("to stderr", "stdin at end"));
}

TEST(ExternalProcess, FailedLaunchHasNoOutputAndLeavesNoChild) {
  TempFolder dir;
  const std::string not_executable = dir.path() + "/plain.txt";
  std::ofstream(not_executable) << "#!/bin/sh\necho hi\n";
  const struct {
    std::string executable, folder;
  } cases[] = {
      {dir.path() + "/missing", dir.path()},
      {not_executable, dir.path()},
      {kChild, dir.path() + "/no such folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.executable + " in " + c.folder);
    ExternalProcess process = ExternalProcess::Launch(c.executable, Words("args x"), c.folder);
    EXPECT_FALSE(process.Started());
    EXPECT_FALSE(process.Running());
    EXPECT_FALSE(process.OutputAvailable());
    process.WaitForOutput();
    EXPECT_EQ(process.ReadLine(), "");
    process.Kill();
    process.Close();
    EXPECT_EQ(RunAndWait(c.executable, Words("exit 0"), c.folder), -1);
  }
  EXPECT_TRUE(NoChildrenLeft());
}

TEST(ExternalProcess, FailedLaunchSaysWhy) {
  TempFolder dir;
  const std::string not_executable = dir.path() + "/plain.txt";
  std::ofstream(not_executable) << "#!/bin/sh\necho hi\n";
  const ExternalProcess missing = ExternalProcess::Launch(dir.path() + "/7za", {}, dir.path());
  const ExternalProcess refused = ExternalProcess::Launch(not_executable, {}, dir.path());
  EXPECT_EQ(StartFailureText("7za", missing.StartError()),
            "7za cannot be started: No such file or directory.");
  EXPECT_EQ(StartFailureText("7za", refused.StartError()),
            "7za cannot be started: Permission denied.");
}

TEST(ExternalProcess, LinesKeepCarriageReturnsAndBecomeValidUtf8) {
  ExternalProcess process = ExternalProcess::Launch(kChild, Words("odd"), "/");
  EXPECT_THAT(ReadAll(process), ElementsAre("bad \uFFFD\uFFFD end", "windows\r", "euro \u20AC ok",
                                            "cut \uFFFD\uFFFD", "no feed"));
}

TEST(ExternalProcess, OverlongLineIsCutAndTheNextLinesSurvive) {
  const std::size_t length = 3 * ChildProcess::kMaxLineBytes + 5;
  ExternalProcess process =
      ExternalProcess::Launch(kChild, Words("long " + std::to_string(length)), "/");
  const std::vector<std::string> lines = ReadAll(process);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::string(ChildProcess::kMaxLineBytes, 'a'));
  EXPECT_EQ(lines[1], "after");
  EXPECT_EQ(lines[2], "last");
}

TEST(ExternalProcess, UnfinishedLineIsNotAvailableYet) {
  TempFolder dir;
  const std::string ready = dir.path() + "/ready", go = dir.path() + "/go";
  ExternalProcess process =
      ExternalProcess::Launch(kChild, Words("partial " + ready + " " + go), "/");
  ASSERT_TRUE(EventuallyExists(ready));  // "half" stands in the pipe
  process.Delay(50);
  EXPECT_FALSE(process.OutputAvailable());
  process.WaitForOutput(50);
  EXPECT_FALSE(process.OutputAvailable());
  EXPECT_TRUE(process.Running());
  WriteFile(go, "");
  EXPECT_THAT(ReadAll(process), ElementsAre("half done"));
}

TEST(ExternalProcess, EndOfOutputBeforeTheEndOfTheChildWaitsWithoutSpinning) {
  TempFolder dir;
  const std::string go = dir.path() + "/go";
  ExternalProcess process =
      ExternalProcess::Launch(kChild, Words("close-early " + go + " 1000"), "/");
  process.WaitForOutput();
  EXPECT_EQ(process.ReadLine(), "before close");
  // A bounded wait returns although the child lives on with its stdout closed.
  process.WaitForOutput(50);
  EXPECT_TRUE(process.Running());

  WriteFile(go, "");
  const double cpu_before = CpuSeconds();
  while (process.Running()) process.WaitForOutput();
  // A second of waiting for the child's end costs next to nothing.
  EXPECT_LT(CpuSeconds() - cpu_before, 0.05);
  process.Close();
  EXPECT_TRUE(NoChildrenLeft());
}

TEST(ExternalProcess, FloodingChildWaitsOnItsPipeAndEveryLineArrives) {
  TempFolder dir;
  const std::string done = dir.path() + "/done";
  ExternalProcess process = ExternalProcess::Launch(kChild, Words("flood 8 " + done), dir.path());
  // Nobody reads lines: at most the bounded buffer and the pipe are taken,
  // so the child cannot get through its 8 MB.
  for (int i = 0; i < 5; ++i) {
    process.Delay(100);
    EXPECT_LE(process.BufferedBytes(), ChildProcess::kMaxUnreadBytes);
  }
  EXPECT_GT(process.BufferedBytes(), 0u);
  EXPECT_FALSE(std::filesystem::exists(done));

  std::size_t lines = 0, wrong = 0;
  while (process.Running()) {
    process.WaitForOutput();
    EXPECT_LE(process.BufferedBytes(), ChildProcess::kMaxUnreadBytes);
    if (!process.OutputAvailable()) continue;
    if (process.ReadLine() != std::string(1023, 'x')) ++wrong;
    ++lines;
  }
  EXPECT_EQ(lines, 8u * 1024);
  EXPECT_EQ(wrong, 0u);
  EXPECT_TRUE(std::filesystem::exists(done));
  process.Close();
  EXPECT_TRUE(NoChildrenLeft());
}

// The "family" child's two lines, and the number of its process group.
struct Family {
  std::vector<std::string> members;
  pid_t group = 0;
};

Family ReadFamily(ExternalProcess& process) {
  Family family;
  const Clock::time_point start = Clock::now();
  while (family.members.size() < 2 && SecondsSince(start) < 60) {
    process.WaitForOutput(100);
    if (!process.OutputAvailable()) continue;
    const std::string line = process.ReadLine();
    const std::size_t blank = line.find(' ');
    family.members.push_back(line.substr(0, blank));
    family.group = std::atoi(line.c_str() + blank + 1);
  }
  return family;
}

// True once no process is left in `group` (waits up to 30 s for init to
// reap the orphans).
bool GroupGone(pid_t group) {
  const Clock::time_point start = Clock::now();
  while (kill(-group, 0) == 0) {
    if (SecondsSince(start) > 30) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return errno == ESRCH;
}

TEST(ExternalProcess, KillEndsWhatTheChildStartedAndItsPipe) {
  // The grandchild ignores SIGTERM and holds the pipe open.
  ExternalProcess process = ExternalProcess::Launch(kChild, Words("family"), "/");
  const Family family = ReadFamily(process);
  EXPECT_THAT(family.members, UnorderedElementsAre("child", "grandchild"));
  ASSERT_GT(family.group, 1);
  EXPECT_NE(family.group, getpgrp());
  process.Kill();
  const Clock::time_point killed = Clock::now();
  while (process.Running() && SecondsSince(killed) < 30) process.WaitForOutput(100);
  EXPECT_FALSE(process.Running());
  process.Close();
  EXPECT_TRUE(NoChildrenLeft());
  EXPECT_TRUE(GroupGone(family.group));
}

TEST(ExternalProcess, ClosingARunningChildEndsItsWholeGroup) {
  ExternalProcess process = ExternalProcess::Launch(kChild, Words("family"), "/");
  const Family family = ReadFamily(process);
  ASSERT_EQ(family.members.size(), 2u);
  process.Close();
  EXPECT_TRUE(NoChildrenLeft());
  EXPECT_TRUE(GroupGone(family.group));
}

TEST(ExternalProcess, RunAndWaitDiscardsOutputAndGivesTheExitCode) {
  EXPECT_EQ(RunAndWait(kChild, Words("exit 3"), "/"), 3);
  EXPECT_EQ(RunAndWait(kChild, Words("unknown-mode"), "/"), 99);
}

}  // namespace
}  // namespace torva
