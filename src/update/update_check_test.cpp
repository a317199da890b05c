#include "update/update_check.h"

#include <gtest/gtest.h>
#include <netinet/in.h>

#include <filesystem>

#include "desktop/scripted/transcript.h"
#include "testing/network.h"
#include "testing/scripted_session.h"
#include "update/fake_update_server_test.h"
#include "update/update_reply.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

const std::string kSystem = SystemName();
const std::string kRequest = "TORVAmeter_Maxwell v2.8 / " + kSystem + " - Maxwell 5.2.1.49";
const std::string kUpdateRequest =
    "TORVAmeter_Maxwell-update   (" + kSystem + " - Maxwell 5.2.1.49)";
const std::string kConnecting =
    "window \"Connecting to TORVAUpdateServer...\" 340 50\n"
    "closewin \"Connecting to TORVAUpdateServer...\"\n";
const std::string kNotAvailable =
    "message \"TORVAmeter for Maxwell update\" \"The TORVA update server is currently not "
    "available.\"\n";
const std::string kUpToDate =
    "message \"TORVAmeter for Maxwell update\" \"Your TORVAmeter version is up to date.\"\n";

// `shown`: the version as the question names it.
std::string Question(const std::string& shown, const std::string& answer) {
  return "question \"TORVAmeter for Maxwell update\" \"New TORVAmeter version detected: " + shown +
         "\\nDo you want to download the new version?\" -> " + answer + "\n";
}

// A server that answers the version request with `reply`, then sends
// `download` after the update request and closes.
FakeUpdateServer::Script Answering(const std::string& reply, const std::string& download = "") {
  return [=](FakeServerSide& s) {
    s.Read(kRequest.size());
    s.Send(reply);
    if (!s.Read(kUpdateRequest.size()).empty()) s.Send(download);
  };
}

class UpdateCheckTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::string zip_ = folder_.path() + "/TORVAmeter_Maxwell_Mac.zip";

  // Runs one check against 127.0.0.1:`port`; true when it ended the program.
  bool Check(int port, const std::string& answers, UpToDateReport report,
             UpdateTimeLimits limits = {}) {
    ScriptedSession session(answers);
    Program program(session.desktop(), folder_.path());
    program.state.RendererVersion = "5.2.1.49";
    PointUpdatesAt("127.0.0.1:" + std::to_string(port), program.update_servers);
    const bool ended = CheckForUpdate(program, "2.8", report, limits);
    network_ready_ = program.state.NetworkReady;
    transcript_ = session.transcript();
    return ended;
  }

  std::string transcript_;
  bool network_ready_ = false;
};

TEST_F(UpdateCheckTest, ANewerVersionIsDownloadedAndEndsTheProgram) {
  const std::string body = PatternBytes(5000);
  FakeUpdateServer server(Answering("2.9", SizeHeader(5000) + body));
  EXPECT_TRUE(Check(server.port(), "yes\n", UpToDateReport::kSilent));
  EXPECT_EQ(transcript_, kConnecting + Question("v2.9", "yes") +
                             "window \"Downloading update...\" 340 50\n"
                             "closewin \"Downloading update...\"\n"
                             "message \"TORVAmeter for Maxwell update\" " +
                             Quote(DownloadedMessage(zip_, ThisSystem())) +
                             "\n"
                             "open \"" +
                             folder_.path() + "\"\n");
  EXPECT_EQ(server.received(), kRequest + kUpdateRequest);
  EXPECT_EQ(ReadFile(zip_), body);
  EXPECT_TRUE(network_ready_);
}

// On Linux the zip lies in a hidden folder and holds no Linux program to run.
TEST(DownloadedMessageTest, OnLinuxNamesTheFileAndTheEnd) {
  const std::string text =
      DownloadedMessage("/home/a/.local/share/T/T_Mac.zip", HostSystem::kLinux);
  EXPECT_NE(text.find("downloaded to /home/a/.local/share/T/T_Mac.zip.\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\nTORVAmeter will now quit."));
  EXPECT_EQ(DownloadedMessage("/Applications/T/T_Mac.zip", HostSystem::kMac),
            "The new version has been downloaded in /Applications/T.\nUncompress the .zip archive "
            "to update your version.");
}

TEST_F(UpdateCheckTest, TheQuestionShowsTheWholeReplyAndNoDownloadsNothing) {
  FakeUpdateServer server(Answering("TORVAmeter-2.9"));
  EXPECT_FALSE(Check(server.port(), "no\n", UpToDateReport::kShow));
  EXPECT_EQ(transcript_, kConnecting + Question("TORVAmeter-2.9", "no"));
  EXPECT_EQ(server.received(), kRequest);
  EXPECT_FALSE(fs::exists(zip_));
}

TEST_F(UpdateCheckTest, NotNewerReportsUpToDateOnlyFromTheButton) {
  for (const char* reply : {"2.8", "2.7.9", "TORVAmeter-2.8"}) {
    {
      FakeUpdateServer server(Answering(reply));
      Check(server.port(), "", UpToDateReport::kShow);
      EXPECT_EQ(transcript_, kConnecting + kUpToDate) << reply;
    }
    FakeUpdateServer server(Answering(reply));
    Check(server.port(), "", UpToDateReport::kSilent);
    EXPECT_EQ(transcript_, kConnecting) << reply;
  }
}

// Only a version is offered: the rest is logged, with its bytes escaped,
// and the server counts as not available.
TEST_F(UpdateCheckTest, RepliesThatAreNoVersionAreLoggedNotShown) {
  const std::string kUnusual = "log 0 \"Unusual reply from the update server, not a version: ";
  FakeUpdateServer made_up(Answering("2.9\n\x1b[2JSecurity fix signed by TORVA. Answer Yes."));
  EXPECT_FALSE(Check(made_up.port(), "yes\n", UpToDateReport::kSilent));
  EXPECT_EQ(transcript_, kConnecting + kUnusual +
                             "\\\"2.9\\\\x0a\\\\x1b[2JSecurity fix signed by TORVA. Answer "
                             "Yes.\\\"\"\n" +
                             kNotAvailable);
  // A long one is cut at the client's buffer, and in the log.
  std::string reply(1500, 'x');
  reply[0] = '3';
  reply[3] = '\xff';
  FakeUpdateServer server(Answering(reply));
  Check(server.port(), "no\n", UpToDateReport::kShow);
  EXPECT_EQ(transcript_, kConnecting + kUnusual + "\\\"3xx\\\\xef\\\\xbf\\\\xbd" +
                             std::string(58, 'x') + "... (1002 bytes)\\\"\"\n" + kNotAvailable);
}

// The reply has no end mark of its own: it ends with a zero byte, the
// connection's end, 1000 bytes, or the limit. Each piece here is read by the
// client before the next is sent.
TEST_F(UpdateCheckTest, AReplyInPiecesIsReadWhole) {
  UpdateTimeLimits patient;
  patient.reply_ms = kFakeServerPatienceMs;
  patient.reply_quiet_ms = kFakeServerPatienceMs;
  {
    FakeUpdateServer server([](FakeServerSide& s) {
      s.Read(kRequest.size());
      s.Send("TORVAmeter-");
      s.WaitUntilClientHasRead();
      s.Send("2.9");  // and the connection ends
    });
    Check(server.port(), "no\n", UpToDateReport::kShow, patient);
    EXPECT_EQ(transcript_, kConnecting + Question("TORVAmeter-2.9", "no"));
  }
  const std::string body = PatternBytes(5000);
  FakeUpdateServer server([&](FakeServerSide& s) {
    s.Read(kRequest.size());
    s.Send("TORVA");
    s.WaitUntilClientHasRead();
    s.Send("meter-");
    s.WaitUntilClientHasRead();
    s.Send(std::string("2.9\0", 4));
    if (s.Read(kUpdateRequest.size()) == kUpdateRequest) s.Send(SizeHeader(5000) + body);
    s.WaitForClose();
  });
  EXPECT_TRUE(Check(server.port(), "yes\n", UpToDateReport::kShow, patient));
  EXPECT_TRUE(transcript_.starts_with(kConnecting + Question("TORVAmeter-2.9", "yes")))
      << transcript_;
  EXPECT_EQ(ReadFile(zip_), body);
}

// A server that says nothing more for a while after some bytes has said all.
TEST_F(UpdateCheckTest, AReplyEndsWhenTheServerFallsQuiet) {
  UpdateTimeLimits limits;
  limits.reply_ms = kFakeServerPatienceMs;
  limits.reply_quiet_ms = 200;
  FakeUpdateServer server([](FakeServerSide& s) {
    s.Read(kRequest.size());
    s.Send("TORVAmeter-2.9");
    s.StaySilent();
  });
  Check(server.port(), "no\n", UpToDateReport::kShow, limits);
  EXPECT_EQ(transcript_, kConnecting + Question("TORVAmeter-2.9", "no"));
}

// A byte now and then keeps the reply from ever falling quiet; the reply
// limit ends it, and what came so far is the reply.
TEST_F(UpdateCheckTest, AReplyThatNeverEndsIsCutAtTheReplyLimit) {
  UpdateTimeLimits limits;
  limits.reply_ms = 300;
  limits.reply_quiet_ms = kFakeServerPatienceMs;
  FakeUpdateServer server([](FakeServerSide& s) {
    s.Read(kRequest.size());
    s.Send("2.");
    for (int i = 0; i < 1500 && !s.ClosedWithin(20); ++i) s.Send("9");
  });
  Check(server.port(), "no\n", UpToDateReport::kShow, limits);
  const std::string head = kConnecting +
                           "question \"TORVAmeter for Maxwell update\" \"New TORVAmeter "
                           "version detected: v2.";
  const std::string tail = "\\nDo you want to download the new version?\" -> no\n";
  ASSERT_TRUE(transcript_.starts_with(head) && transcript_.ends_with(tail)) << transcript_;
  const std::string nines =
      transcript_.substr(head.size(), transcript_.size() - head.size() - tail.size());
  EXPECT_FALSE(nines.empty());
  EXPECT_EQ(nines.find_first_not_of('9'), std::string::npos) << nines;
}

TEST_F(UpdateCheckTest, ABrokenTransferKeepsAnEarlierZipAndReturns) {
  WriteFile(zip_, "an older download");
  FakeUpdateServer server(Answering("2.9", SizeHeader(5000) + PatternBytes(4999)));
  EXPECT_FALSE(Check(server.port(), "yes\n", UpToDateReport::kShow));
  EXPECT_EQ(transcript_, kConnecting + Question("v2.9", "yes") +
                             "window \"Downloading update...\" 340 50\n"
                             "closewin \"Downloading update...\"\n"
                             "message \"TORVAmeter for Maxwell update\" \"An error has "
                             "occurred during the transfer!\"\n");
  EXPECT_EQ(ReadFile(zip_), "an older download");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()), 1);
}

int UnusedPort() {
  FakeUpdateServer probe([](FakeServerSide&) {});
  return probe.port();  // nothing listens there once the probe is gone
}

TEST_F(UpdateCheckTest, NoServerIsNotAvailableEvenAtStartUp) {
  Check(UnusedPort(), "", UpToDateReport::kSilent);
  EXPECT_EQ(transcript_, kConnecting + kNotAvailable);
  EXPECT_TRUE(network_ready_);
}

TEST_F(UpdateCheckTest, AServerThatClosesOrStaysSilentIsNotAvailable) {
  for (bool reads_request : {false, true}) {
    FakeUpdateServer server([&](FakeServerSide& s) {
      if (reads_request) s.Read(kRequest.size());
    });
    Check(server.port(), "", UpToDateReport::kShow);
    EXPECT_EQ(transcript_, kConnecting + kNotAvailable);
  }
  FakeUpdateServer server([](FakeServerSide& s) { s.StaySilent(); });
  UpdateTimeLimits short_limits;
  short_limits.reply_ms = 200;
  Check(server.port(), "", UpToDateReport::kSilent, short_limits);
  EXPECT_EQ(transcript_, kConnecting + kNotAvailable);
  EXPECT_EQ(server.received(), kRequest);
}

TEST_F(UpdateCheckTest, AServerThatTakesNoConnectionsIsNotAvailableAfterTheReplyLimit) {
  FullBacklog server;
  UpdateTimeLimits short_limits;
  short_limits.reply_ms = 300;
  Check(server.port(), "", UpToDateReport::kShow, short_limits);
  EXPECT_EQ(transcript_, kConnecting + kNotAvailable);
}

TEST_F(UpdateCheckTest, TheMarkerFileChoosesTheMiniFarmServer) {
  FakeUpdateServer public_server(Answering("2.8"), "127.0.0.1");
  FakeUpdateServer mini_farm(Answering("2.9"), "127.0.0.2", public_server.port());
  WriteFile(folder_.path() + "/TorvaMinifarm.txt", "");
  ScriptedSession session("no\n");
  Program program(session.desktop(), folder_.path());
  program.state.RendererVersion = "5.2.1.49";
  program.update_servers.public_host = "127.0.0.1";
  program.update_servers.mini_farm_host = "127.0.0.2";
  program.update_servers.port = public_server.port();
  EXPECT_FALSE(CheckForUpdate(program, "2.8", UpToDateReport::kShow));
  EXPECT_EQ(session.transcript(), kConnecting + Question("v2.9", "no"));
  EXPECT_TRUE(mini_farm.connected());
  EXPECT_FALSE(public_server.connected());

  fs::remove(folder_.path() + "/TorvaMinifarm.txt");
  EXPECT_FALSE(CheckForUpdate(program, "2.8", UpToDateReport::kShow));
  EXPECT_TRUE(public_server.connected());
}

TEST(PointUpdatesAtTest, SetsBothHostsAndThePort) {
  UpdateServers servers;
  EXPECT_TRUE(PointUpdatesAt("localhost:7000", servers));
  EXPECT_EQ(servers.public_host, "localhost");
  EXPECT_EQ(servers.mini_farm_host, "localhost");
  EXPECT_EQ(servers.port, 7000);
  EXPECT_TRUE(PointUpdatesAt("example", servers));
  EXPECT_EQ(servers.port, 7000);
  EXPECT_TRUE(PointUpdatesAt("[::1]:6000", servers));
  EXPECT_EQ(servers.public_host, "::1");
  EXPECT_EQ(servers.port, 6000);
  EXPECT_TRUE(PointUpdatesAt("::1", servers));
  EXPECT_EQ(servers.mini_farm_host, "::1");
  EXPECT_EQ(servers.port, 6000);
  EXPECT_FALSE(PointUpdatesAt("host:", servers));
  EXPECT_FALSE(PointUpdatesAt("host:70000", servers));
  EXPECT_FALSE(PointUpdatesAt("host:12x", servers));
}

}  // namespace
}  // namespace torva
