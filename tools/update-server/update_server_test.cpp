// The update server as a separate process, with real clients: the program's
// own update client, the scripted program, and clients that misbehave.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <latch>
#include <map>
#include <sstream>
#include <thread>

#include "desktop/scripted/transcript.h"
#include "platform/tcp_client.h"
#include "server.h"
#include "testing/commands.h"
#include "testing/files.h"
#include "testing/mock_desktop.h"
#include "testing/temp_folder.h"
#include "update/fake_update_server_test.h"
#include "update/receive_update.h"
#include "update/update_check.h"
#include "update/update_reply.h"

extern char** environ;

namespace torva {
namespace {

namespace fs = std::filesystem;

constexpr int kPatienceMs = 120'000;  // for a stuck test to fail, never to pass

// A program started with its standard output on a pipe.
class Spawned {
 public:
  explicit Spawned(const std::vector<std::string>& argv) {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    fd_ = out[0];
  }
  ~Spawned() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(fd_);
  }

  pid_t pid() const { return pid_; }
  int fd() const { return fd_; }

  // The exit status, or nullopt when the program is still running after `ms`.
  std::optional<int> WaitFor(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (int status = 0; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(std::chrono::milliseconds(10)))
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
    return std::nullopt;
  }

  // The next line of output without its line feed; nullopt at the end.
  std::optional<std::string> Line() {
    for (;;) {
      auto end = pending_.find('\n');
      if (end != std::string::npos) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        return line;
      }
      pollfd watch{fd_, POLLIN, 0};
      char chunk[4096];
      ssize_t got = poll(&watch, 1, kPatienceMs) > 0 ? read(fd_, chunk, sizeof chunk) : 0;
      if (got <= 0) return std::nullopt;
      pending_.append(chunk, static_cast<std::size_t>(got));
    }
  }

  std::vector<std::string> RemainingLines() {
    std::vector<std::string> lines;
    while (auto line = Line()) lines.push_back(*line);
    return lines;
  }

  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    reaped_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
  bool reaped_ = false;
  std::string pending_;
};

long ProcStatusKb(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  return -1;
}

class ServerProcess {
 public:
  ServerProcess(const std::string& version, const std::string& zip,
                const std::vector<std::string>& extra = {}) {
    std::vector<std::string> argv = {
        TM_UPDATE_SERVER, "--listen", "127.0.0.1:0", "--version", version, "--zip", zip};
    argv.insert(argv.end(), extra.begin(), extra.end());
    process_ = std::make_unique<Spawned>(argv);
    auto first = process_->Line();
    if (!first || first->rfind("listening on 127.0.0.1:", 0) != 0)
      throw std::runtime_error("the server did not start: " + first.value_or("(nothing)"));
    port_ = std::stoi(first->substr(first->rfind(':') + 1));
  }

  int port() const { return port_; }
  pid_t pid() const { return process_->pid(); }
  Spawned& process() { return *process_; }

  // Signals the server and returns its exit status; `log` then holds one
  // line per connection (the closing "stopped" line is checked here).
  int Stop(int signal = SIGTERM) {
    kill(process_->pid(), signal);
    for (auto& line : process_->RemainingLines()) log.push_back(line);
    stopped_cleanly = !log.empty() && log.back() == "stopped";
    if (stopped_cleanly) log.pop_back();
    return process_->Wait();
  }

  // Reads the log until it holds `count` connection lines.
  void WaitForLog(std::size_t count) {
    while (log.size() < count) {
      auto line = process_->Line();
      if (!line) return;
      log.push_back(*line);
    }
  }

  std::map<std::string, int> Outcomes() const {
    std::map<std::string, int> count;
    for (const auto& line : log) ++count[line.substr(line.rfind("outcome=") + 8)];
    return count;
  }

  std::vector<std::string> log;
  bool stopped_cleanly = false;

 private:
  std::unique_ptr<Spawned> process_;
  int port_ = 0;
};

int RawConnect(int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<std::uint16_t>(port));
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Everything the server sends until it closes the connection.
std::string ReadUntilClosed(int fd) {
  std::string bytes;
  char chunk[4096];
  pollfd watch{fd, POLLIN, 0};
  for (ssize_t got;
       poll(&watch, 1, kPatienceMs) > 0 && (got = recv(fd, chunk, sizeof chunk, 0)) > 0;)
    bytes.append(chunk, static_cast<std::size_t>(got));
  return bytes;
}

// What misbehaving clients send; the server closes without a word.
std::string Garbage(int i) {
  switch (i % 4) {
    case 0: return "GET / HTTP/1.1\r\nHost: x\r\n\r\n";
    case 1: return PatternBytes(300, i);
    case 2: return "TORVAmeter_Maxwell v" + std::string(400, '9');
    default: return std::string("TORVAmeter_Maxwell v2.8 / Mac\0\x01\x02", 32);
  }
}

class UpdateServerTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::string zip_ = folder_.path() + "/served.zip";
};

// Limits that only a stuck test reaches, however slow the machine.
DownloadLimits PatientDownload() {
  DownloadLimits limits;
  limits.window_ms = kPatienceMs;
  limits.least_bytes = 1;
  return limits;
}

// The version check as the program does it, and the download when the
// reply is `expected`.
bool Download(int port, const std::string& into, const std::string& expected) {
  auto connection = TcpConnection::Connect("127.0.0.1", port, kPatienceMs);
  if (!connection || !connection->Send(VersionRequest("2.8", "5.2.1.49")) ||
      connection->Poll(kPatienceMs) != TcpConnection::Readiness::kData)
    return false;
  char reply[1000];
  long got = connection->Receive(reply, sizeof reply, kPatienceMs);
  if (got <= 0 || ReplyText(reply, got) != expected) return false;
  ::testing::NiceMock<MockDesktop> desktop;
  return connection->Send(UpdateRequest("5.2.1.49")) &&
         ReceiveUpdateFile(*connection, into, desktop, PatientDownload());
}

struct Crowd {
  int downloads, checks, silent, garbage;
  std::size_t zip_bytes;
};

// Every kind of client at once; every download must be exact, every
// connection logged with the outcome its client earned, and the server's
// memory must not grow with what it sends.
void ServeACrowd(const std::string& folder, const Crowd& crowd) {
  const std::string zip = folder + "/served.zip";
  const std::string content = PatternBytes(crowd.zip_bytes, 11);
  WriteFile(zip, content);
  // Every client comes from the one loopback address.
  ServerProcess server("TORVAmeter-2.9", zip,
                       {"--request-ms", "5000", "--max-per-address", "512", "--log-burst", "512"});
  const long rss_at_start = ProcStatusKb(server.pid(), "VmRSS");

  const int kDownloads = crowd.downloads, kChecks = crowd.checks, kSilent = crowd.silent,
            kGarbage = crowd.garbage;
  const int kClients = kDownloads + kChecks + kSilent + kGarbage;
  std::latch start(kClients);
  std::vector<int> ok(kClients, 0);
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.emplace_back([&, i] {
      start.arrive_and_wait();
      if (i < kDownloads) {
        ok[i] = Download(server.port(), folder + "/zip" + std::to_string(i), "TORVAmeter-2.9");
        return;
      }
      int fd = RawConnect(server.port());
      if (fd < 0) return;
      if (i < kDownloads + kChecks) {
        const std::string request = VersionRequest("2.8", "5.2.1.49");
        send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        char reply[64];
        pollfd watch{fd, POLLIN, 0};
        ssize_t got = poll(&watch, 1, kPatienceMs) > 0 ? recv(fd, reply, sizeof reply, 0) : 0;
        ok[i] = got > 0 && std::string(reply, got) == "TORVAmeter-2.9";
      } else if (i < kDownloads + kChecks + kSilent) {
        ok[i] = ReadUntilClosed(fd).empty();  // until the server gives up on it
      } else {
        const std::string junk = Garbage(i);
        send(fd, junk.data(), junk.size(), MSG_NOSIGNAL);
        ok[i] = ReadUntilClosed(fd).empty();
      }
      close(fd);
    });
  }
  for (auto& t : clients) t.join();
  server.WaitForLog(kClients);
  const long peak = ProcStatusKb(server.pid(), "VmHWM");
  ASSERT_EQ(server.Stop(), 0);
  EXPECT_TRUE(server.stopped_cleanly);

  for (int i = 0; i < kClients; ++i) EXPECT_TRUE(ok[i]) << "client " << i;
  for (int i = 0; i < kDownloads; ++i)
    EXPECT_TRUE(ReadFile(folder + "/zip" + std::to_string(i)) == content) << i;
  // Every connection has its line, with the outcome its client earned.
  EXPECT_EQ(server.log.size(), static_cast<std::size_t>(kClients));
  EXPECT_EQ(server.Outcomes(), (std::map<std::string, int>{{"downloaded", kDownloads},
                                                           {"answered", kChecks},
                                                           {"timeout", kSilent},
                                                           {"malformed", kGarbage}}));
  // Far more went out than this; the server never held more than a few buffers.
  EXPECT_LT(peak - rss_at_start, 24 * 1024) << "peak " << peak << " kB, start " << rss_at_start;
  std::printf("server memory: %ld kB at start, %ld kB at its peak\n", rss_at_start, peak);
}

TEST_F(UpdateServerTest, ManyClientsAtOnceAreServedAndAccountedFor) {
  ServeACrowd(folder_.path(), {30, 30, 20, 20, 4u << 20});
}

// The large run, by hand: --gtest_also_run_disabled_tests.
TEST_F(UpdateServerTest, DISABLED_TwoHundredClientsWithAFiftyMegabyteZip) {
  ServeACrowd(folder_.path(), {20, 80, 50, 50, 50u << 20});
}

TEST_F(UpdateServerTest, TheLogNamesPeerRequestAndBytesSent) {
  WriteFile(zip_, PatternBytes(5000));
  ServerProcess server("2.9", zip_);
  int fd = RawConnect(server.port());
  const std::string request = VersionRequest("2.8", "5.2.1.49");
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  char reply[16];
  ASSERT_EQ(recv(fd, reply, sizeof reply, 0), 3);
  close(fd);
  server.WaitForLog(1);
  ASSERT_EQ(server.Stop(SIGINT), 0);
  EXPECT_TRUE(server.stopped_cleanly);
  ASSERT_EQ(server.log.size(), 1u);
  EXPECT_EQ(server.log[0].substr(0, 15), "peer=127.0.0.1:");
  EXPECT_NE(server.log[0].find(" request=\"" + request + "\" update=\"\" sent=3 outcome=answered"),
            std::string::npos)
      << server.log[0];
}

TEST_F(UpdateServerTest, BadUpdateRequestsCapsAndStopsAreLogged) {
  WriteFile(zip_, PatternBytes(5000));
  ServerProcess server("2.9", zip_, {"--max-connections", "2", "--request-ms", "60000"});
  // A reply, then something that is not the update request.
  int odd = RawConnect(server.port());
  const std::string request = VersionRequest("2.8", "5.2.1.49");
  send(odd, request.data(), request.size(), MSG_NOSIGNAL);
  char reply[16];
  ASSERT_EQ(recv(odd, reply, sizeof reply, 0), 3);
  send(odd, "TORVAmeter_Maxwell-update (", 27, MSG_NOSIGNAL);
  EXPECT_EQ(ReadUntilClosed(odd), "");
  close(odd);
  // Two connections held open fill the server; the third is turned away.
  int first = RawConnect(server.port());
  int second = RawConnect(server.port());
  send(second, "TORVA", 5, MSG_NOSIGNAL);
  int third = RawConnect(server.port());
  EXPECT_EQ(ReadUntilClosed(third), "");
  close(third);
  ASSERT_EQ(server.Stop(), 0);
  EXPECT_TRUE(server.stopped_cleanly);
  EXPECT_EQ(server.Outcomes(),
            (std::map<std::string, int>{{"malformed", 1}, {"busy", 1}, {"stopped", 2}}));
  EXPECT_EQ(ReadUntilClosed(first), "");
  close(first);
  close(second);
}

// A client from `address` (a loopback one) that asks for the version and
// then sits idle, as if its user never decided. The socket, and whether the
// reply came (a client turned away gets none).
std::pair<int, bool> IdleClient(int port, const std::string& address,
                                int patience_ms = kPatienceMs) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in from{};
  from.sin_family = AF_INET;
  inet_pton(AF_INET, address.c_str(), &from.sin_addr);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0)
    throw std::runtime_error("cannot connect from " + address);
  const std::string request = VersionRequest("2.8", "5.2.1.49");
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  char reply[16];
  pollfd watch{fd, POLLIN, 0};
  const bool replied = poll(&watch, 1, patience_ms) > 0 && recv(fd, reply, sizeof reply, 0) > 0;
  return {fd, replied};
}

// A log nobody reads (here a pipe of one page) holds up neither the clients
// nor a stop; an address that opens connection after connection gets
// --log-burst lines at once.
TEST_F(UpdateServerTest, ALogNobodyReadsHoldsUpNeitherClientsNorAStop) {
  WriteFile(zip_, PatternBytes(5000));
  ServerProcess server("2.9", zip_);
  ASSERT_EQ(fcntl(server.process().fd(), F_SETPIPE_SZ, 4096), 4096);
  for (int a = 2; a < 6; ++a)
    for (int i = 0; i < 30; ++i) {
      auto [fd, replied] = IdleClient(server.port(), "127.0.0." + std::to_string(a), 10'000);
      close(fd);
      ASSERT_TRUE(replied) << a << " " << i;
    }
  kill(server.pid(), SIGTERM);
  EXPECT_EQ(server.process().WaitFor(2000), 0);  // a second, and one for a busy machine
  const std::vector<std::string> lines = server.process().RemainingLines();
  EXPECT_EQ(
      std::count_if(lines.begin(), lines.end(),
                    [](const std::string& line) { return line.starts_with("peer=127.0.0.2:"); }),
      update_server::Options{}.log_burst);
}

// Clients that take their reply and then sit idle would hold the server for
// the whole answer time: one address holds a few connections at most, and
// the newest clients waiting for their user push out the oldest, so that
// someone else still gets the update.
TEST_F(UpdateServerTest, ClientsSittingIdleAfterTheReplyLockNobodyOut) {
  const std::string content = PatternBytes(200'000, 4);
  WriteFile(zip_, content);
  ServerProcess server("TORVAmeter-2.9", zip_,
                       {"--max-connections", "32", "--max-per-address", "4", "--max-waiting", "8"});
  std::vector<int> idle;
  int replied = 0;
  // One address trying to take every place.
  for (int i = 0; i < 12; ++i) {
    auto [fd, got_reply] = IdleClient(server.port(), "127.0.0.2");
    idle.push_back(fd);
    replied += got_reply;
  }
  EXPECT_EQ(replied, 4);
  // Many addresses, each within its cap.
  for (int a = 3; a < 10; ++a)
    for (int i = 0; i < 4; ++i) {
      auto [fd, got_reply] = IdleClient(server.port(), "127.0.0." + std::to_string(a));
      idle.push_back(fd);
      EXPECT_TRUE(got_reply) << a << " " << i;
    }

  EXPECT_TRUE(Download(server.port(), folder_.path() + "/got.zip", "TORVAmeter-2.9"));
  EXPECT_TRUE(ReadFile(folder_.path() + "/got.zip") == content);
  server.WaitForLog(8 + 25 + 1);
  ASSERT_EQ(server.Stop(), 0);
  for (int fd : idle) close(fd);
  // 8 turned away from the crowded address, 4 + 28 + 1 waiting of which the
  // 25 oldest were pushed out, the download, and 7 still waiting at the end.
  EXPECT_EQ(server.Outcomes(),
            (std::map<std::string, int>{
                {"busy", 8}, {"evicted", 25}, {"downloaded", 1}, {"stopped", 7}}));
}

TEST_F(UpdateServerTest, AClientThatStopsReadingIsDroppedWhileOthersDownload) {
  const std::string content = PatternBytes(16 << 20, 9);
  WriteFile(zip_, content);
  ServerProcess server("TORVAmeter-2.9", zip_, {"--stall-ms", "2000"});
  // A small receive buffer, so that the server's sends fill up long before
  // the file is through.
  int stuck = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int small = 4096;
  setsockopt(stuck, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<std::uint16_t>(server.port()));
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(stuck, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
  const std::string request = VersionRequest("2.8", "5.2.1.49");
  send(stuck, request.data(), request.size(), MSG_NOSIGNAL);
  char reply[32];
  ASSERT_GT(recv(stuck, reply, sizeof reply, 0), 0);
  const std::string update = UpdateRequest("5.2.1.49");
  send(stuck, update.data(), update.size(), MSG_NOSIGNAL);

  EXPECT_TRUE(Download(server.port(), folder_.path() + "/got.zip", "TORVAmeter-2.9"));
  EXPECT_TRUE(ReadFile(folder_.path() + "/got.zip") == content);
  server.WaitForLog(2);  // the download, and the stuck client given up
  close(stuck);
  ASSERT_EQ(server.Stop(), 0);
  EXPECT_EQ(server.Outcomes(), (std::map<std::string, int>{{"downloaded", 1}, {"timeout", 1}}));
}

// `cp` over the served file rewrites it in place (here without cp's moment
// of an empty file: only the bytes and the time change, or only the bytes
// when the time is put back): the download under way must not go on with the
// new bytes under the old size. A complete copy renamed over it leaves the
// opened file whole.
TEST_F(UpdateServerTest, AFileRewrittenInPlaceEndsTheDownloadAndARenameDoesNot) {
  const std::string served = SizeHeader(16 << 20) + PatternBytes(16 << 20, 1);
  const std::string other = PatternBytes(16 << 20, 2);
  const std::string request = VersionRequest("2.8", "5.2.1.49");
  const std::string update = UpdateRequest("5.2.1.49");
  for (const int way : {0, 1, 2}) {  // renamed over, rewritten, rewritten with its time put back
    const bool in_place = way > 0;
    WriteFile(zip_, served.substr(8));
    ServerProcess server("TORVAmeter-2.9", zip_);
    int fd = RawConnect(server.port());
    int buffer_bytes = 256 * 1024;  // most of the file stays on the server's side
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer_bytes, sizeof buffer_bytes);
    char reply[32];
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    recv(fd, reply, sizeof reply, 0);
    send(fd, update.data(), update.size(), MSG_NOSIGNAL);
    std::string got(1 << 20, '\0');
    got.resize(std::max<ssize_t>(recv(fd, got.data(), got.size(), MSG_WAITALL), 0));
    const std::string path = in_place ? zip_ : zip_ + ".new";
    int file = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    struct stat before {};
    fstat(file, &before);
    EXPECT_EQ(pwrite(file, other.data(), other.size(), 0), static_cast<ssize_t>(other.size()));
    const timespec times[2] = {before.st_atim, before.st_mtim};
    if (way == 2) {
      EXPECT_EQ(futimens(file, times), 0);
    }
    close(file);
    if (!in_place) fs::rename(path, zip_);
    got += ReadUntilClosed(fd);
    close(fd);
    // Past a change the server does not see at once, the client gets the
    // other file's bytes, but never all the bytes it was promised.
    EXPECT_TRUE(in_place ? got.size() < served.size() && (way == 2 || served.starts_with(got))
                         : got == served)
        << way << ": " << got.size() << " bytes, not all the first file's";
    server.WaitForLog(1);
    ASSERT_EQ(server.Stop(), 0);
    EXPECT_EQ(server.Outcomes(),
              (std::map<std::string, int>{{in_place ? "file-changed" : "downloaded", 1}}));
  }
}

TEST_F(UpdateServerTest, RefusesToStartWithoutAFileToServe) {
  Spawned missing({TM_UPDATE_SERVER, "--listen", "127.0.0.1:0", "--version", "2.9", "--zip",
                   folder_.path() + "/none.zip"});
  EXPECT_EQ(missing.RemainingLines(), std::vector<std::string>{});
  EXPECT_EQ(missing.Wait(), 1);
}

// An installed program: a substitute renderer, a configuration that asks
// for the update check, and a benchmark already run.
class InstalledProgramTest : public UpdateServerTest {
 protected:
  std::string maxwell_ = folder_.path() + "/Maxwell";
  std::string app_ = folder_.path() + "/TORVAmeter_Maxwell";
  std::string config_ =
      ";Maxwell Render path\n" + maxwell_ +
      "/\n;TORVA login (crypted - do not modify)\n\n;TORVA password (crypted - do not "
      "modify)\n\n;Last directory from previous session\n" +
      folder_.path() + "/\n;Check for updates?\nYes\n;MXI size limit\n30000\n";

  void SetUp() override {
    ASSERT_TRUE(MakeSubstituteInstallation(maxwell_));
    WriteFile(app_ + "/TORVAmeter_Maxwell.ini", config_);
    WriteFile(app_ + "/benchmark/TORVAmeter_Benchmark.log",
              "Mac, CPU: Test CPU - 2 threads\nMaxwell Render 5.2.1.49\nThe TORVA is 12.3 times "
              "faster (+/- 10%) than this system (with CPU-Low priority, 32 nodes V4).\n"
              "DeltaSL = 3.50\n(SL=10 on this system <=> SL=13.50 (+/- 0.2) on the TORVA.\n");
  }

  CommandOutcome Run(const std::string& answers, const ServerProcess& server) {
    return RunScriptedProgram(app_, answers,
                              "--update-host 127.0.0.1:" + std::to_string(server.port()));
  }
};

TEST_F(InstalledProgramTest, TheStartUpCheckIsSilentWhenCurrentAndTheButtonIsNot) {
  WriteFile(zip_, "zip");
  ServerProcess server("TORVAmeter-2.8", zip_);
  CommandOutcome run = Run("press 12\nclose\n", server);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output,
            "window \"Connecting to TORVAUpdateServer...\" 340 50\n"
            "closewin \"Connecting to TORVAUpdateServer...\"\n"
            "window \"Connecting to TORVAUpdateServer...\" 340 50\n"
            "closewin \"Connecting to TORVAUpdateServer...\"\n"
            "message \"TORVAmeter for Maxwell update\" \"Your TORVAmeter version is up to "
            "date.\"\n"
            "exit 0\n");
  ASSERT_EQ(server.Stop(), 0);
  EXPECT_EQ(server.Outcomes(), (std::map<std::string, int>{{"answered", 2}}));
}

// The scripted program finds the update at start-up and downloads it.
TEST_F(InstalledProgramTest, TheProgramDownloadsFromTheServerAtStartUp) {
  const std::string& app = app_;
  const std::string& config = config_;
  const std::string content = PatternBytes(3 << 20, 5);
  WriteFile(zip_, content);

  ServerProcess server("2.9", zip_);
  CommandOutcome run = Run("yes\n", server);
  EXPECT_EQ(run.status, 0);
  const std::string expected =
      "window \"Connecting to TORVAUpdateServer...\" 340 50\n"
      "closewin \"Connecting to TORVAUpdateServer...\"\n"
      "question \"TORVAmeter for Maxwell update\" \"New TORVAmeter version detected: v2.9\\nDo "
      "you want to download the new version?\" -> yes\n"
      "window \"Downloading update...\" 340 50\n"
      "closewin \"Downloading update...\"\n"
      "message \"TORVAmeter for Maxwell update\" " +
      Quote(DownloadedMessage(app + "/TORVAmeter_Maxwell_Mac.zip", ThisSystem())) +
      "\n"
      "open \"" +
      app +
      "\"\n"
      "exit 0\n";
  EXPECT_EQ(run.output, expected);
  EXPECT_TRUE(ReadFile(app + "/TORVAmeter_Maxwell_Mac.zip") == content);
  EXPECT_EQ(ReadFile(app + "/TORVAmeter_Maxwell.ini"), config);  // not written on this way out

  ASSERT_EQ(server.Stop(), 0);
  ASSERT_EQ(server.log.size(), 1u);
  EXPECT_NE(server.log[0].find("update=\"" + UpdateRequest("5.2.1.49") + "\" sent=" +
                               std::to_string(3 + 8 + content.size()) + " outcome=downloaded"),
            std::string::npos)
      << server.log[0];
}

}  // namespace
}  // namespace torva
