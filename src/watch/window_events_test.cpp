// The watched run over the window's events, with real child programs.
#include "watch/window_events.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/child_process.h"
#include "testing/commands.h"
#include "testing/fake_runner.h"
#include "testing/files.h"
#include "testing/mock_desktop.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

using ::testing::ElementsAre;
using ::testing::NiceMock;
using ::testing::Return;
using Clock = std::chrono::steady_clock;

const std::string kChild = TM_TEST_CHILD;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// No child of this process is left, not even an unreaped one.
bool NoChildrenLeft() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

class WatchedRun : public ::testing::Test {
 protected:
  static Event Click(int gadget) {
    Event click;
    click.type = EventType::kGadget;
    click.gadget = gadget;
    return click;
  }
  LineHandler Collect() {
    return [this](const std::string& line) {
      lines.push_back(line);
      return RunAction::kGoOn;
    };
  }
  static RunAction Ignore(const Event&) { return RunAction::kGoOn; }

  NiceMock<MockDesktop> desktop;
  std::vector<std::string> lines;
};

// The caller learns how the program ended after the run has closed it.
TEST_F(WatchedRun, TheExitCodeOutlivesTheRun) {
  ExternalProcess failing = ExternalProcess::Launch(kChild, Words("exit 3"), "/");
  EXPECT_EQ(WatchRun(failing, desktop, Ignore, Collect()), RunEnd::kFinished);
  EXPECT_EQ(failing.ExitCode(), 3);
  ExternalProcess fine = ExternalProcess::Launch(kChild, Words("lines 2 0"), "/");
  WatchRun(fine, desktop, Ignore, Collect());
  EXPECT_EQ(fine.ExitCode(), 0);
  ExternalProcess stopped = ExternalProcess::Launch(kChild, Words("hang 1"), "/");
  WatchRun(stopped, desktop, Ignore, [](const std::string&) { return RunAction::kStop; });
  EXPECT_GT(stopped.ExitCode(), 128);
  ExternalProcess missing = ExternalProcess::Launch("/nonexistent/program", Words(""), "/");
  WatchRun(missing, desktop, Ignore, Collect());
  EXPECT_EQ(missing.ExitCode(), -1);
}

TEST_F(WatchedRun, StoppedChildStillHasItsOutputRead) {
  EXPECT_CALL(desktop, TakeEvent())
      .WillOnce(Return(Click(kBenchmark)))
      .WillRepeatedly(Return(Event{}));
  ExternalProcess process = ExternalProcess::Launch(kChild, Words("hang 4"), "/");
  int stop_requests = 0;
  const RunEnd end = WatchRun(
      process, desktop,
      [&](const Event& event) {
        if (event.type != EventType::kGadget || event.gadget != kBenchmark) {
          return RunAction::kGoOn;
        }
        ++stop_requests;
        return RunAction::kStop;
      },
      Collect());
  EXPECT_EQ(end, RunEnd::kStopped);
  EXPECT_EQ(stop_requests, 1);
  EXPECT_THAT(lines, ElementsAre("line 1", "line 2", "line 3", "line 4"));
  EXPECT_FALSE(process.Running());
  EXPECT_TRUE(NoChildrenLeft());
}

TEST_F(WatchedRun, LineHandlerCanStopAndLaterLinesComeInOrder) {
  // Left alone, the child would write for more than an hour.
  ExternalProcess process = ExternalProcess::Launch(kChild, Words("lines 1000000 5"), "/");
  const RunEnd end = WatchRun(process, desktop, Ignore,
                              [&](const std::string& line) {
                                lines.push_back(line);
                                return lines.size() == 3 ? RunAction::kStop : RunAction::kGoOn;
                              },
                              {.pause = false});
  EXPECT_EQ(end, RunEnd::kStopped);
  ASSERT_GE(lines.size(), 3u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], "line " + std::to_string(i + 1));
  }
  EXPECT_TRUE(NoChildrenLeft());
}

TEST_F(WatchedRun, CloseRequestWinsOverAnEarlierStop) {
  EXPECT_CALL(desktop, TakeEvent()).WillRepeatedly([&] {
    return lines.empty() ? Event{} : Click(kEstimateProject);
  });
  ExternalProcess process = ExternalProcess::Launch(kChild, Words("hang 2"), "/");
  EXPECT_EQ(WatchRun(
                process, desktop, [](const Event&) { return RunAction::kClose; }, Collect()),
            RunEnd::kCloseRequested);
  EXPECT_THAT(lines, ElementsAre("line 1", "line 2"));

  // A stop on the first line; the close request comes while the rest is read.
  lines.clear();
  EXPECT_CALL(desktop, TakeEvent()).WillRepeatedly([&] {
    return lines.size() == 5 ? Event{EventType::kCloseWindow} : Event{};
  });
  process = ExternalProcess::Launch(kChild, Words("hang 100"), "/");
  EXPECT_EQ(WatchRun(
                process, desktop,
                [](const Event& event) {
                  return event.type == EventType::kCloseWindow ? RunAction::kClose
                                                               : RunAction::kGoOn;
                },
                [&](const std::string& line) {
                  lines.push_back(line);
                  return lines.size() == 1 ? RunAction::kStop : RunAction::kGoOn;
                }),
            RunEnd::kCloseRequested);
  EXPECT_EQ(lines.size(), 100u);
}

TEST_F(WatchedRun, TimeLimitEndsTheRunAndItsOutputIsStillRead) {
  ExternalProcess process = ExternalProcess::Launch(kChild, Words("hang 3"), "/");
  EXPECT_EQ(WatchRun(process, desktop, Ignore, Collect(), {.time_limit_ms = 1000}),
            RunEnd::kTimedOut);
  EXPECT_THAT(lines, ElementsAre("line 1", "line 2", "line 3"));

  lines.clear();
  process = ExternalProcess::Launch(kChild, Words("hang 2"), "/");
  EXPECT_EQ(ReadRun(process, Collect(), 1000), RunEnd::kTimedOut);
  EXPECT_THAT(lines, ElementsAre("line 1", "line 2"));
  EXPECT_TRUE(NoChildrenLeft());
}

TEST_F(WatchedRun, StopOfAFloodingChildEndsWithEveryLineHandedOnAndBoundedOutput) {
  const std::string text = "Engine version 5.2.1";
  ExternalProcess process = ExternalProcess::Launch(kChild, {"repeat", text}, "/");
  std::size_t most_buffered = 0, wrong = 0, count = 0;
  std::string last;
  const Clock::time_point start = Clock::now();
  const RunEnd end = WatchRun(process, desktop, Ignore, [&](const std::string& line) {
    most_buffered = std::max(most_buffered, process.BufferedBytes());
    if (last != text && count > 0) ++wrong;  // only the very last may be cut short
    last = line;
    return ++count == 3 ? RunAction::kStop : RunAction::kGoOn;
  });
  EXPECT_EQ(end, RunEnd::kStopped);
  EXPECT_LT(SecondsSince(start), 30);
  EXPECT_GT(count, 3u);
  EXPECT_EQ(wrong, 0u);
  EXPECT_TRUE(text.starts_with(last));
  EXPECT_LE(most_buffered, ChildProcess::kMaxUnreadBytes);
  EXPECT_TRUE(NoChildrenLeft());
}

// A detached grandchild that keeps the output open must not stretch a limit
// or a stop to its own lifetime.
TEST_F(WatchedRun, ADetachedGrandchildHoldingThePipeDoesNotHoldTheRead) {
  TempFolder folder;
  const std::string pid_file = folder.path() + "/daemon.pid";
  const std::vector<std::string> script = {
      "-c", "setsid sh -c 'echo $$ >> " + pid_file + "; exec sleep 300' & echo started; sleep 300"};
  const auto start = std::chrono::steady_clock::now();
  ExternalProcess limited = ExternalProcess::Launch("/bin/sh", script, "/");
  EXPECT_EQ(ReadRun(limited, Collect(), 1000), RunEnd::kTimedOut);
  EXPECT_THAT(lines, ElementsAre("started"));

  ExternalProcess stopped = ExternalProcess::Launch("/bin/sh", script, "/");
  EXPECT_EQ(WatchRun(stopped, desktop, Ignore, [](const std::string&) { return RunAction::kStop; }),
            RunEnd::kStopped);
  // Both grandchildren would hold the pipe for five minutes.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(120));
  RunCommand("kill $(cat " + ShellQuote(pid_file) + ") 2>/dev/null");
}

// Once the program has ended by itself, a helper it left holding the pipe,
// silent or writing without end, keeps no run waiting; the program's own
// lines all arrive, even to a handler that is slow once the program ended.
TEST_F(WatchedRun, AHelperLeftHoldingThePipeDoesNotOutliveTheProgram) {
  const auto start = Clock::now();
  std::vector<std::string> helpers;
  const auto run = [&](const std::string& arguments, auto watch) {
    lines.clear();
    ExternalProcess process = ExternalProcess::Launch(kChild, Words("detach " + arguments), "/");
    EXPECT_EQ(watch(process), RunEnd::kFinished) << arguments;
    std::erase_if(lines, [&](const std::string& line) {
      if (line.starts_with("helper ")) helpers.push_back(line.substr(7));
      return !line.starts_with("line ");  // the helper's, the last maybe cut short
    });
  };
  run("3 100", [&](ExternalProcess& p) { return WatchRun(p, desktop, Ignore, Collect()); });
  EXPECT_THAT(lines, ElementsAre("line 1", "line 2", "line 3"));
  run("2 100", [&](ExternalProcess& p) { return ReadRun(p, Collect()); });
  EXPECT_THAT(lines, ElementsAre("line 1", "line 2"));
  bool slept = false;
  run("20000 100 flood", [&](ExternalProcess& p) {
    const auto slow = [&](const std::string& line) {
      if (!slept && p.Ended()) {
        slept = true;
        std::this_thread::sleep_for(
            std::chrono::milliseconds(ChildProcess::kOutputAfterEndMs + 500));
      }
      lines.push_back(line);
      return RunAction::kGoOn;
    };
    return WatchRun(p, desktop, Ignore, slow, {.pause = false});
  });
  EXPECT_EQ(lines.size(), 20000u);
  EXPECT_EQ(lines.back(), "line 20000");
  // Each helper would hold the pipe for 100 s.
  EXPECT_LT(SecondsSince(start), 60);
  for (const std::string& pid : helpers) RunCommand("kill " + pid + " 2>/dev/null");
}

TEST_F(WatchedRun, ProgramThatEndsByItselfIsFinished) {
  ExternalProcess process = ExternalProcess::Launch(kChild, Words("lines 2 0 x"), "/");
  EXPECT_EQ(WatchRun(process, desktop, Ignore, Collect(), {.time_limit_ms = 600000}),
            RunEnd::kFinished);
  process = ExternalProcess::Launch(kChild, Words("lines 2 0 y"), "/");
  EXPECT_EQ(ReadRun(process, Collect()), RunEnd::kFinished);
  EXPECT_THAT(lines, ElementsAre("x1", "x2", "y1", "y2"));
}

TEST_F(WatchedRun, FailedLaunchEndsAtOnceWithNoLines) {
  EXPECT_CALL(desktop, TakeEvent()).Times(0);
  ExternalProcess process = ExternalProcess::Launch("/nonexistent/program", Words(""), "/");
  EXPECT_EQ(WatchRun(process, desktop, Ignore, Collect()), RunEnd::kFinished);
  EXPECT_EQ(ReadRun(process, Collect()), RunEnd::kFinished);
  EXPECT_TRUE(lines.empty());
}

TEST_F(WatchedRun, ReadsAtMostOneLinePerPassAndTakesEventsMeanwhile) {
  int events = 0;
  EXPECT_CALL(desktop, TakeEvent()).WillRepeatedly([&] {
    ++events;
    return Event{EventType::kOther};
  });
  std::vector<int> events_before_line;
  ExternalProcess process = ExternalProcess::Launch(kChild, Words("lines 5 0"), "/");
  WatchRun(process, desktop, Ignore, [&](const std::string& line) {
    lines.push_back(line);
    events_before_line.push_back(events);
    return RunAction::kGoOn;
  });
  EXPECT_THAT(lines, ElementsAre("line 1", "line 2", "line 3", "line 4", "line 5"));
  // Each pass takes an event before it reads its one line.
  EXPECT_GE(events_before_line[0], 1);
  for (std::size_t i = 1; i < events_before_line.size(); ++i) {
    EXPECT_GT(events_before_line[i], events_before_line[i - 1]);
  }
}

TEST_F(WatchedRun, WithoutPauseStillTakesEventsWhileTheChildIsSilent) {
  // The child stays silent until the tenth event has been taken; each quiet
  // pass waits 50 ms for output rather than the usual second.
  struct QuickDesktop : NiceMock<MockDesktop> {
    void WaitForActivity(int fd, int timeout_ms) override {
      Desktop::WaitForActivity(fd, timeout_ms < 0 ? 50 : std::min(timeout_ms, 50));
    }
  } quick;
  TempFolder dir;
  const std::string go = dir.path() + "/go";
  int events = 0;
  EXPECT_CALL(quick, TakeEvent()).WillRepeatedly([&] {
    if (++events == 10) std::ofstream(go).close();
    return Event{EventType::kOther};
  });
  ExternalProcess process = ExternalProcess::Launch(kChild, Words("wait-for " + go), "/");
  EXPECT_EQ(WatchRun(process, quick, Ignore, Collect(), {.pause = false}), RunEnd::kFinished);
  EXPECT_THAT(lines, ElementsAre("waiting", "done"));
  EXPECT_GE(events, 10);
}

// What the step tests rely on when they play a program: a click taken at a
// pause stops it before its later lines, which never come; a program left
// alone plays to its end and ends as its script says.
TEST_F(WatchedRun, APlayedProgramStopsAtAPauseOrEndsAsItsScriptSays) {
  FakeRunner runner([](const FakeRunner::Launched&) {
    return FakeProgram{.replay = "one\ntwo\n@sleep 100\nthree\n@signal SEGV\n", .start_error = 0};
  });
  EXPECT_CALL(desktop, TakeEvent()).WillRepeatedly([&] {
    return lines.size() == 2 ? Click(kBenchmark) : Event{};
  });
  ExternalProcess stopped = runner.Launch("/played", {"-x"}, "/");
  EXPECT_EQ(WatchRun(
                stopped, desktop, [](const Event&) { return RunAction::kStop; }, Collect()),
            RunEnd::kStopped);
  EXPECT_THAT(lines, ElementsAre("one", "two"));

  lines.clear();
  ExternalProcess alone = runner.Launch("/played", {}, "/");
  EXPECT_EQ(WatchRun(alone, desktop, Ignore, Collect(), {.pause = false}), RunEnd::kFinished);
  EXPECT_THAT(lines, ElementsAre("one", "two", "three"));
  EXPECT_EQ(alone.ExitSignal(), SIGSEGV);
  EXPECT_EQ(runner.launches().front().arguments, std::vector<std::string>{"-x"});
}

}  // namespace
}  // namespace torva
