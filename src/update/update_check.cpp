#include "update/update_check.h"

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/tcp_client.h"
#include "update/receive_update.h"
#include "update/update_reply.h"

namespace torva {
namespace {

constexpr const char* kUpdateTitle = "TORVAmeter for Maxwell update";

// A title-only window, closed on every way out.
class StatusWindow {
 public:
  StatusWindow(Desktop& desktop, const std::string& title) : desktop_(desktop) {
    WindowSpec layout;
    layout.kind = WindowKind::kStatus;
    layout.title = title;
    layout.width = 340;
    layout.height = 50;
    id_ = desktop_.OpenWindow(layout);
  }
  ~StatusWindow() { Close(); }
  void Close() {
    if (id_) desktop_.CloseWindow(*id_);
    id_.reset();
  }

 private:
  Desktop& desktop_;
  std::optional<WindowId> id_;
};

std::string ChosenHost(const Program& program) {
  std::error_code ec;
  bool mini_farm = std::filesystem::exists(program.paths.AppDir + "/TorvaMinifarm.txt", ec);
  return mini_farm ? program.update_servers.mini_farm_host : program.update_servers.public_host;
}

void ShowNotAvailable(Program& program) {
  program.desktop.Message(kUpdateTitle, "The TORVA update server is currently not available.");
}

void Download(Program& program, TcpConnection& connection, const UpdateTimeLimits& limits) {
  StatusWindow downloading(program.desktop, "Downloading update...");
  bool ok = ReceiveUpdateFile(connection, program.paths.UpdateZipPath, limits.download);
  downloading.Close();
  if (!ok) {
    // A failed transfer leaves no partial zip and keeps an earlier download.
    program.desktop.Message(kUpdateTitle, "An error has occurred during the transfer!");
    return;
  }
  const std::string& folder = program.paths.AppDir;
  program.desktop.Message(kUpdateTitle, "The new version has been downloaded in " + folder +
                                            ".\nUncompress the .zip archive to update your "
                                            "version.");
  program.desktop.Open(folder);
  EndProgram();  // the connection closes on the way out
}

}  // namespace

void CheckForUpdate(Program& program, const std::string& version, UpToDateReport report,
                    const UpdateTimeLimits& limits) {
  State& state = program.state;
  if (!state.NetworkReady) {
    if (!InitialiseNetwork()) {
      program.desktop.Message("Error", "Can't initialize the network !");
      return;
    }
    state.NetworkReady = true;
  }

  StatusWindow connecting(program.desktop, "Connecting to TORVAUpdateServer...");
  std::unique_ptr<TcpConnection> connection =
      TcpConnection::Connect(ChosenHost(program), program.update_servers.port, limits.reply_ms);
  // A server that never answers, or closes before answering, is as good as
  // none.
  if (!connection || !connection->Send(VersionRequest(version, state.RendererVersion), limits.reply_ms) ||
      connection->Poll(limits.reply_ms) != TcpConnection::Readiness::kData) {
    connecting.Close();
    ShowNotAvailable(program);
    return;
  }

  std::array<char, 1000> reply_bytes{};
  long got = connection->Receive(reply_bytes.data(), reply_bytes.size(), 0);
  const std::string reply = ReplyText(reply_bytes.data(), got > 0 ? got : 0);
  connecting.Close();

  if (!IsNewerVersion(version, AnnouncedVersion(reply))) {
    if (report == UpToDateReport::kShow)
      program.desktop.Message(kUpdateTitle, "Your TORVAmeter version is up to date.");
    return;
  }
  if (!program.desktop.Question(kUpdateTitle, "New TORVAmeter version detected: v" + reply +
                                                  "\nDo you want to download the new "
                                                  "version?"))
    return;
  if (!connection->Send(UpdateRequest(state.RendererVersion), limits.reply_ms)) {
    program.desktop.Message(kUpdateTitle, "An error has occurred during the transfer!");
    return;
  }
  Download(program, *connection, limits);
}

bool PointUpdatesAt(const std::string& host_port, UpdateServers& servers) {
  constexpr auto kNone = std::string::npos;
  std::string host = host_port;
  // An IPv6 address takes brackets when a port follows: [::1]:6789.
  const bool bracketed = host.starts_with('[');
  std::size_t colon;
  if (bracketed) {
    const std::size_t end = host.find("]:");
    colon = end == kNone ? kNone : end + 1;
  } else {
    colon = host.rfind(':');
    if (colon != host.find(':')) colon = kNone;  // a bare IPv6 address
  }
  if (colon != kNone) {
    const std::string digits = host.substr(colon + 1);
    int port = 0;
    for (char c : digits) {
      if (c < '0' || c > '9' || port > 65535) return false;
      port = port * 10 + (c - '0');
    }
    if (digits.empty() || port < 1 || port > 65535) return false;
    servers.port = port;
    host.resize(colon);
  }
  if (bracketed && host.ends_with(']')) host = host.substr(1, host.size() - 2);
  servers.public_host = host;
  servers.mini_farm_host = host;
  return true;
}

}  // namespace torva
