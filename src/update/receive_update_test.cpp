#include "update/receive_update.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "testing/mock_desktop.h"
#include "testing/scripted_session.h"
#include "update/fake_update_server_test.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

constexpr int kPatientMs = 30'000;

// Limits that only a stuck test reaches: any byte keeps the pace; a window
// of `stall_ms` for the tests of the stall.
DownloadLimits Patient(int stall_ms = kPatientMs) {
  DownloadLimits limits;
  limits.window_ms = stall_ms;
  limits.least_bytes = 1;
  return limits;
}

// Notes how the download waits.
class WatchingDesktop : public MockDesktop {
 public:
  void WaitForActivity(int fd, int timeout_ms) override {
    waits.emplace_back(fd, timeout_ms);
    Desktop::WaitForActivity(fd, timeout_ms);
  }
  std::vector<std::pair<int, int>> waits;
};

class ReceiveUpdateTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::string zip_ = folder_.path() + "/TORVAmeter_Maxwell_Mac.zip";
  ::testing::NiceMock<WatchingDesktop> desktop_;
  int socket_ = -1;

  // Connects to a server playing `script` and receives into zip_.
  bool Receive(FakeUpdateServer::Script script, const DownloadLimits& limits = Patient()) {
    FakeUpdateServer server(std::move(script));
    auto connection = TcpConnection::Connect("127.0.0.1", server.port(), kPatientMs);
    if (!connection) ADD_FAILURE() << "no connection";
    socket_ = connection ? connection->NativeHandle() : -1;
    return connection && ReceiveUpdateFile(*connection, zip_, desktop_, limits);
  }

  std::vector<std::string> FolderContent() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_.path()))
      names.push_back(entry.path().filename().string());
    return names;
  }
};

TEST_F(ReceiveUpdateTest, HeaderAndBodyInOneSendGiveTheExactFile) {
  const std::string body = PatternBytes(5000);
  EXPECT_TRUE(Receive([&](FakeServerSide& s) {
    s.Send(SizeHeader(5000) + body);
    s.WaitForClose();
  }));
  EXPECT_EQ(ReadFile(zip_), body);
  EXPECT_EQ(FolderContent(), std::vector<std::string>{"TORVAmeter_Maxwell_Mac.zip"});
}

TEST_F(ReceiveUpdateTest, ASuccessReplacesAnEarlierZip) {
  WriteFile(zip_, "an older download");
  const std::string body = PatternBytes(300'000, 3);
  EXPECT_TRUE(Receive([&](FakeServerSide& s) {
    s.Send(SizeHeader(body.size()));
    for (std::size_t at = 0; at < body.size(); at += 7000) s.Send(body.substr(at, 7000));
    s.WaitForClose();
  }));
  EXPECT_EQ(ReadFile(zip_), body);
}

TEST_F(ReceiveUpdateTest, AHeaderInPiecesIsCompletedByLaterReceives) {
  const std::string body = PatternBytes(5000);
  const std::string header = SizeHeader(5000);
  EXPECT_TRUE(Receive([&](FakeServerSide& s) {
    s.Send(header.substr(0, 3));
    s.WaitUntilClientHasRead();
    s.Send(header.substr(3, 4));
    s.WaitUntilClientHasRead();
    s.Send(header.substr(7) + body.substr(0, 10));
    s.WaitUntilClientHasRead();
    s.Send(body.substr(10));
    s.WaitForClose();
  }));
  EXPECT_EQ(ReadFile(zip_), body);
}

TEST_F(ReceiveUpdateTest, FailuresLeaveNoPartialZipAndKeepAnEarlierOne) {
  struct Case {
    const char* what;
    std::string sent;
  };
  const std::string body = PatternBytes(5001);
  const Case cases[] = {
      {"one byte more in the crossing receive", SizeHeader(5000) + body},
      {"fewer, then closed", SizeHeader(5000) + body.substr(0, 4000)},
      {"closed inside the header", SizeHeader(5000).substr(0, 5)},
      {"closed at once", ""},
      {"size 0", SizeHeader(0) + body},
      {"negative size", SizeHeader(-5000) + body},
      {"size beyond any update", SizeHeader(kMaxUpdateBytes + 1) + body},
  };
  for (const Case& c : cases) {
    WriteFile(zip_, "an older download");
    EXPECT_FALSE(Receive([&](FakeServerSide& s) { s.Send(c.sent); })) << c.what;
    EXPECT_EQ(ReadFile(zip_), "an older download") << c.what;
    EXPECT_EQ(FolderContent(), std::vector<std::string>{"TORVAmeter_Maxwell_Mac.zip"}) << c.what;
  }
}

// A silent server is given up after the window; meanwhile the windows stay
// drawn: the download waits on its socket through the desktop, a second at
// most before it takes the next event.
TEST_F(ReceiveUpdateTest, AStalledTransferFailsAfterTheTimeLimit) {
  EXPECT_CALL(desktop_, TakeEvent())
      .Times(::testing::AtLeast(3))
      .WillRepeatedly(::testing::Return(Event{EventType::kOther}));
  EXPECT_FALSE(Receive(
      [&](FakeServerSide& s) {
        s.Send(SizeHeader(5000) + PatternBytes(1500));
        s.StaySilent();
      },
      Patient(2100)));
  EXPECT_TRUE(FolderContent().empty());
  EXPECT_GE(desktop_.waits.size(), 3u);
  for (auto [fd, timeout_ms] : desktop_.waits)
    EXPECT_TRUE(fd == socket_ && timeout_ms > 0 && timeout_ms <= 1000) << fd << " " << timeout_ms;
}

// Whatever was left at the temporary name (a stale file, a link planted by
// someone else, to a file or to nowhere) is replaced, never written through.
TEST_F(ReceiveUpdateTest, ALeftoverPartNameIsNeitherFollowedNorKept) {
  TempFolder elsewhere;
  const std::string victim = elsewhere.path() + "/victim";
  const std::string nowhere = elsewhere.path() + "/created-through-the-link";
  const std::string part = zip_ + ".part";
  const std::string body = PatternBytes(5000);
  struct Case {
    const char* what;
    std::function<void()> plant;
  };
  const Case cases[] = {
      {"stale file", [&] { WriteFile(part, "half of an earlier download"); }},
      {"link to a file", [&] { fs::create_symlink(victim, part); }},
      {"dangling link", [&] { fs::create_symlink(nowhere, part); }},
  };
  for (const Case& c : cases) {
    WriteFile(victim, "not yours");
    fs::remove(zip_);
    c.plant();
    EXPECT_TRUE(Receive([&](FakeServerSide& s) {
      s.Send(SizeHeader(5000) + body);
      s.WaitForClose();
    })) << c.what;
    EXPECT_FALSE(fs::is_symlink(zip_)) << c.what;
    EXPECT_TRUE(ReadFile(zip_) == body) << c.what;
    EXPECT_TRUE(ReadFile(victim) == "not yours") << c.what;
    EXPECT_FALSE(fs::exists(nowhere)) << c.what;
    EXPECT_EQ(FolderContent(), std::vector<std::string>{"TORVAmeter_Maxwell_Mac.zip"}) << c.what;
  }
}

// A byte now and then never trips a stall limit, and a large announcement
// must not buy the server hours: the pace is judged on what arrives.
TEST_F(ReceiveUpdateTest, ATrickleLosesThePaceWhateverTheAnnouncedSize) {
  DownloadLimits limits;
  limits.window_ms = 300;
  limits.least_bytes = 1024;
  WriteFile(zip_, "an older download");
  bool client_hung_up = false;
  EXPECT_FALSE(Receive(
      [&](FakeServerSide& s) {
        s.Send(SizeHeader(64 << 20));
        for (int i = 0; i < 1500 && !client_hung_up; ++i) {
          s.Send("x");
          client_hung_up = s.ClosedWithin(20);
        }
      },
      limits));
  EXPECT_TRUE(client_hung_up);
  EXPECT_EQ(ReadFile(zip_), "an older download");
  EXPECT_EQ(FolderContent(), std::vector<std::string>{"TORVAmeter_Maxwell_Mac.zip"});
}

// A download that keeps the pace completes however long it takes in all.
TEST_F(ReceiveUpdateTest, ASteadyDownloadMayTakeLongerThanOneWindow) {
  DownloadLimits limits;
  limits.window_ms = 3000;
  limits.least_bytes = 1000;
  const std::string body = PatternBytes(5000);
  EXPECT_TRUE(Receive(
      [&](FakeServerSide& s) {
        s.Send(SizeHeader(5000));
        for (std::size_t at = 0; at < body.size(); at += 1000) {
          s.Send(body.substr(at, 1000));
          s.ClosedWithin(800);
        }
        s.WaitForClose();
      },
      limits));
  EXPECT_TRUE(ReadFile(zip_) == body);
}

TEST(DownloadPaceTest, EachShareMustFollowThePreviousWithinTheWindow) {
  using std::chrono::milliseconds;
  const DownloadPace::Clock::time_point start{};
  DownloadPace pace(DownloadLimits{.window_ms = 1000, .least_bytes = 100}, start);
  pace.Arrived(99, start + milliseconds(900));
  EXPECT_EQ(pace.Deadline(), start + milliseconds(1000));
  pace.Arrived(150, start + milliseconds(950));  // the excess starts no new share
  pace.Arrived(99, start + milliseconds(1900));
  EXPECT_EQ(pace.Deadline(), start + milliseconds(1950));
}

TEST_F(ReceiveUpdateTest, AnUnwritableFolderIsAFailure) {
  zip_ = folder_.path() + "/missing/TORVAmeter_Maxwell_Mac.zip";
  EXPECT_FALSE(Receive([&](FakeServerSide& s) {
    s.Send(SizeHeader(3000) + PatternBytes(3000));
    s.WaitForClose();
  }));
  EXPECT_TRUE(FolderContent().empty());
}

}  // namespace
}  // namespace torva
