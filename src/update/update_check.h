// The update check: asks the update server whether a newer version exists
// and, when the user wants it, downloads it into the application folder.
#pragma once

#include <string>

#include "platform/system_name.h"
#include "state/next.h"
#include "state/program.h"
#include "update/receive_update.h"

namespace torva {

enum class UpToDateReport { kSilent, kShow };

struct UpdateTimeLimits {
  int reply_ms = 10'000;  // to connect, and from the request to the end of the reply
  // The reply has no end mark: after its first bytes, this long without more
  // ends it too (unless a zero byte, the connection's end or 1000 bytes did).
  int reply_quiet_ms = 1'000;
  DownloadLimits download;  // at least 480 KiB in each 30 s
};

// At start-up the report is silent; the "Updates" button shows it. True
// after a successful download and its message: the program then ends.
[[nodiscard]] bool CheckForUpdate(Program& program, const std::string& version,
                                  UpToDateReport report, const UpdateTimeLimits& limits = {});

// The new version as the question shows it: "v2.9" for the reply "2.9", and
// a reply that names the program ("TORVAmeter-2.9") as it stands.
std::string ShownVersion(const std::string& reply);

// What the user is told after a download to `zip_path`, on `system`: on a
// Mac the folder to look in; elsewhere the file itself, what to do with it,
// and that the program now ends.
std::string DownloadedMessage(const std::string& zip_path, HostSystem system);

// Points both update hosts at HOST[:PORT] (tests, the sandbox). False when
// the port is not a number from 1 to 65535, which kBadUpdateHost says.
inline constexpr const char* kBadUpdateHost = "bad port in --update-host";
bool PointUpdatesAt(const std::string& host_port, UpdateServers& servers);

}  // namespace torva
