#include "update/update_check.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "desktop/owned_window.h"
#include "platform/tcp_client.h"
#include "update/receive_update.h"
#include "update/update_reply.h"

namespace torva {
namespace {

constexpr const char* kUpdateTitle = "TORVAmeter for Maxwell update";

// A title-only window.
WindowLayout StatusLayout(const std::string& title) {
  WindowLayout layout;
  layout.kind = WindowKind::kStatus;
  layout.title = title;
  layout.width = 340;
  layout.height = 50;
  return layout;
}

std::string ChosenHost(const Program& program) {
  std::error_code ec;
  bool mini_farm = std::filesystem::exists(program.paths.AppDir + "/TorvaMinifarm.txt", ec);
  return mini_farm ? program.update_servers.mini_farm_host : program.update_servers.public_host;
}

// The server's reply, which has no end mark of its own: it ends with a zero
// byte, the connection's end, a full buffer, the reply limit, or a quiet
// spell after some bytes (a reply may come in several pieces). nullopt when
// not a byte came.
std::optional<std::string> ReceiveReply(TcpConnection& connection, const UpdateTimeLimits& limits) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.reply_ms);
  std::array<char, 1000> bytes{};
  std::size_t have = 0;
  while (have < bytes.size()) {
    auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
            .count();
    if (left <= 0) break;
    if (have > 0) left = std::min<long long>(left, limits.reply_quiet_ms);
    const long got =
        connection.Receive(bytes.data() + have, bytes.size() - have, static_cast<int>(left));
    if (got <= 0) break;  // closed, broken, or nothing more in time
    const char* piece = bytes.data() + have;
    have += static_cast<std::size_t>(got);
    if (std::memchr(piece, 0, static_cast<std::size_t>(got))) break;
  }
  if (have == 0) return std::nullopt;
  return ReplyText(bytes.data(), have);
}

void ShowNotAvailable(Program& program) {
  program.desktop.Message(kUpdateTitle, "The TORVA update server is currently not available.");
}

// A failed transfer leaves no partial zip and keeps an earlier download.
bool Download(Program& program, TcpConnection& connection, const UpdateTimeLimits& limits) {
  OwnedWindow downloading(program.desktop, StatusLayout("Downloading update..."));
  return ReceiveUpdateFile(connection, program.paths.UpdateZipPath, program.desktop,
                           limits.download);
}

}  // namespace

std::string ShownVersion(const std::string& reply) {
  // Text before a "-" names the program already ("TORVAmeter-2.9").
  return reply.find('-') == std::string::npos ? "v" + reply : reply;
}

std::string DownloadedMessage(const std::string& zip_path, HostSystem system) {
  const std::string folder = zip_path.substr(0, zip_path.rfind('/'));
  if (system == HostSystem::kMac) {
    return "The new version has been downloaded in " + folder +
           ".\nUncompress the .zip archive to update your version.";
  }
  return "The new version has been downloaded to " + zip_path +
         ".\nUnpack it (unzip) and install the Linux package it holds, for example with "
         "\"sudo apt install ./torvameter_VERSION_amd64.deb\", then start TORVAmeter "
         "again.\nTORVAmeter will now quit.";
}

bool CheckForUpdate(Program& program, const std::string& version, UpToDateReport report,
                    const UpdateTimeLimits& limits) {
  State& state = program.state;
  if (!state.NetworkReady) {
    if (!InitialiseNetwork()) {
      program.desktop.Message("Error", "Can't initialize the network !");
      return false;
    }
    state.NetworkReady = true;
  }

  OwnedWindow connecting(program.desktop, StatusLayout("Connecting to TORVAUpdateServer..."));
  std::unique_ptr<TcpConnection> connection =
      TcpConnection::Connect(ChosenHost(program), program.update_servers.port, limits.reply_ms);
  std::optional<std::string> reply;
  if (connection &&
      connection->Send(VersionRequest(version, state.RendererVersion), limits.reply_ms))
    reply = ReceiveReply(*connection, limits);
  connecting.Close();
  // A server that never answers, or closes before answering, is as good as
  // none.
  if (!reply) {
    ShowNotAvailable(program);
    return false;
  }
  // What is not a version is not shown in the question: a server could
  // otherwise put any words there, or escape sequences and line feeds. Such
  // a server is treated as one that gave no answer.
  if (!LooksLikeVersion(*reply)) {
    ReportLine(
        program.desktop, program.state,
        "Unusual reply from the update server, not a version: \"" + ReplyForLog(*reply) + "\"");
    ShowNotAvailable(program);
    return false;
  }

  if (!IsNewerVersion(version, AnnouncedVersion(*reply))) {
    if (report == UpToDateReport::kShow)
      program.desktop.Message(kUpdateTitle, "Your TORVAmeter version is up to date.");
    return false;
  }
  if (!program.desktop.Question(QuestionId::kUpdateOffer, kUpdateTitle,
                                "New TORVAmeter version detected: " + ShownVersion(*reply) +
                                    "\nDo you want to download the new "
                                    "version?"))
    return false;
  if (!connection->Send(UpdateRequest(state.RendererVersion), limits.reply_ms) ||
      !Download(program, *connection, limits)) {
    program.desktop.Message(kUpdateTitle, "An error has occurred during the transfer!");
    return false;
  }
  program.desktop.Message(kUpdateTitle,
                          DownloadedMessage(program.paths.UpdateZipPath, ThisSystem()));
  program.desktop.Open(program.paths.AppDir);
  return true;
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
