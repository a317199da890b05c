// Download throughput over loopback: the update client against the update
// server, a plain socket copy of the same file for comparison, and the
// server feeding 50 clients at once.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/tcp_client.h"
#include "server.h"
#include "testing/files.h"
#include "testing/quiet_desktop.h"
#include "testing/temp_folder.h"
#include "update/receive_update.h"
#include "update/update_reply.h"

namespace torva {
namespace {

constexpr std::size_t kZipBytes = 50u << 20;

std::string Bytes(std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>((i * 131) >> 7);
  return bytes;
}

// The update server on its own thread, serving `zip`.
class LocalServer {
 public:
  explicit LocalServer(const std::string& zip) {
    if (pipe(stop_) != 0 || pipe(log_) != 0) std::abort();
    std::FILE* log = fdopen(log_[1], "w");
    thread_ = std::thread([this, zip, log] {
      update_server::Options options;
      options.listen = "127.0.0.1:0";
      options.version = "TORVAmeter-2.9";
      options.zip = zip;
      options.settle_ms = 1;
      options.max_per_address = 64;  // every client comes from the loopback address
      update_server::Serve(options, stop_[0], log);
      std::fclose(log);
    });
    reader_ = fdopen(log_[0], "r");
    char line[256];
    if (!std::fgets(line, sizeof line, reader_)) std::abort();
    port_ = std::stoi(std::string(line).substr(std::string(line).rfind(':') + 1));
    // The log must keep flowing, or the server would block on it.
    drain_ = std::thread([this] {
      char rest[256];
      while (std::fgets(rest, sizeof rest, reader_)) {
      }
    });
  }
  ~LocalServer() {
    (void)!write(stop_[1], "x", 1);
    thread_.join();
    drain_.join();
    std::fclose(reader_);
    close(stop_[0]);
    close(stop_[1]);
  }
  int port() const { return port_; }

 private:
  int stop_[2];
  int log_[2];
  std::FILE* reader_ = nullptr;
  int port_ = 0;
  std::thread thread_, drain_;
};

std::unique_ptr<TcpConnection> AskForUpdate(int port) {
  auto connection = TcpConnection::Connect("127.0.0.1", port, 30'000);
  char reply[1000];
  if (!connection || !connection->Send(VersionRequest("2.8", "5.2.1.49")) ||
      connection->Receive(reply, sizeof reply, -1) <= 0 ||
      !connection->Send(UpdateRequest("5.2.1.49")))
    return nullptr;
  return connection;
}

void BM_ClientDownloadsFromServer(benchmark::State& state) {
  TempFolder folder;
  const std::string zip = folder.path() + "/served.zip";
  WriteFile(zip, Bytes(kZipBytes));
  LocalServer server(zip);
  QuietDesktop desktop;
  for (auto _ : state) {
    auto connection = AskForUpdate(server.port());
    if (!connection ||
        !ReceiveUpdateFile(*connection, folder.path() + "/got.zip", desktop, DownloadLimits{}))
      state.SkipWithError("download failed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kZipBytes));
}
BENCHMARK(BM_ClientDownloadsFromServer)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same file over a loopback socket with 256 KiB reads and writes at both
// ends, written to the disk and synced like the client does.
void BM_PlainSocketCopy(benchmark::State& state) {
  TempFolder folder;
  const std::string zip = folder.path() + "/served.zip";
  WriteFile(zip, Bytes(kZipBytes));
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof where;
  bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where);
  listen(listener, 4);
  getsockname(listener, reinterpret_cast<sockaddr*>(&where), &length);
  std::vector<char> buffer(256 * 1024);
  for (auto _ : state) {
    std::thread sender([&] {
      int peer = accept(listener, nullptr, nullptr);
      int file = open(zip.c_str(), O_RDONLY);
      std::vector<char> chunk(256 * 1024);
      for (ssize_t got; (got = read(file, chunk.data(), chunk.size())) > 0;)
        for (ssize_t at = 0; at < got;) at += send(peer, chunk.data() + at, got - at, 0);
      close(file);
      close(peer);
    });
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where);
    int out = open((folder.path() + "/got.zip").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (ssize_t got; (got = recv(fd, buffer.data(), buffer.size(), 0)) > 0;)
      if (write(out, buffer.data(), got) != got) state.SkipWithError("write failed");
    fsync(out);
    close(out);
    close(fd);
    sender.join();
  }
  close(listener);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kZipBytes));
}
BENCHMARK(BM_PlainSocketCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

// 50 clients download a 10 MB zip at once and drop what they receive: the
// server's own throughput.
void BM_ServerWithFiftyClients(benchmark::State& state) {
  constexpr int kClients = 50;
  constexpr std::size_t kSmallZip = 10u << 20;
  TempFolder folder;
  const std::string zip = folder.path() + "/served.zip";
  WriteFile(zip, Bytes(kSmallZip));
  LocalServer server(zip);
  std::atomic<int> short_downloads{0};
  for (auto _ : state) {
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i) {
      clients.emplace_back([&] {
        auto connection = AskForUpdate(server.port());
        std::vector<char> sink(256 * 1024);
        std::size_t total = 0;
        for (long got; connection && total < kSmallZip + 8 &&
                       (got = connection->Receive(sink.data(), sink.size(), 30'000)) > 0;)
          total += static_cast<std::size_t>(got);
        if (total != kSmallZip + 8) ++short_downloads;
      });
    }
    for (auto& client : clients) client.join();
  }
  if (short_downloads > 0) state.SkipWithError("short download");
  state.SetBytesProcessed(state.iterations() * kClients * static_cast<int64_t>(kSmallZip));
}
BENCHMARK(BM_ServerWithFiftyClients)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace torva
