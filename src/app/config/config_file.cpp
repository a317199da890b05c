#include "app/config/config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "text/numbers.h"

namespace torva {

namespace {

// The lines read after line 10: an ignored one and the MXI size limit.
constexpr int kLinesRead = 12;

class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : rest_(bytes) {}
  bool AtEnd() const { return rest_.empty(); }
  // A line past the end reads as empty.
  std::string_view Next() {
    const std::size_t end = rest_.find('\n');
    const std::string_view line = rest_.substr(0, end);
    rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
    return line;
  }

 private:
  std::string_view rest_;
};

std::string UpToLineFeed(const std::string& value) { return value.substr(0, value.find('\n')); }

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Makes the rename itself durable; a failure here loses nothing already written.
void SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

ConfigValues ParseConfig(std::string_view bytes) {
  LineReader lines(bytes);
  ConfigValues values;
  lines.Next();
  values.MaxwellDir = lines.Next();
  lines.Next();
  const std::string_view login = lines.Next();
  values.FarmLogin = DecodeCredential(login);
  if (CredentialLineUnreadable(login)) values.unreadable_login_line = login;
  lines.Next();
  const std::string_view password = lines.Next();
  values.FarmPassword = DecodeCredential(password);
  if (CredentialLineUnreadable(password)) values.unreadable_password_line = password;
  lines.Next();
  values.LastDir = lines.Next();
  lines.Next();
  values.CheckUpdates = lines.Next();
  if (!lines.AtEnd()) {
    lines.Next();
    const long long limit = ReadWholeNumber(lines.Next());
    values.MxiSizeLimitMB = static_cast<int>(std::clamp<long long>(limit, INT_MIN, INT_MAX));
  }
  return values;
}

std::string FormatConfig(const ConfigValues& values) {
  const std::string kept_login = UpToLineFeed(values.unreadable_login_line);
  const std::string kept_password = UpToLineFeed(values.unreadable_password_line);
  const bool has_login =
      !kept_login.empty() || values.FarmLogin.find_first_not_of(' ') != std::string::npos;
  const auto block = [&](const std::string& kept, const std::string& value) {
    return !kept.empty() ? kept : has_login ? EncodeCredential(value) : std::string();
  };
  std::string out;
  for (const std::string& line : {
           std::string(";Maxwell Render path"),
           UpToLineFeed(values.MaxwellDir),
           std::string(";TORVA login (crypted - do not modify)"),
           block(kept_login, values.FarmLogin),
           std::string(";TORVA password (crypted - do not modify)"),
           block(kept_password, values.FarmPassword),
           std::string(";Last directory from previous session"),
           UpToLineFeed(values.LastDir),
           std::string(";Check for updates?"),
           UpToLineFeed(values.CheckUpdates),
       }) {
    out += line;
    out += '\n';
  }
  return out;
}

std::optional<ConfigValues> ReadConfigFile(const std::string& path) {
  // Non-blocking so that a FIFO in its place cannot hang the open.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return std::nullopt;
  }

  // Nothing after the twelfth line matters, so reading stops there.
  std::string bytes;
  int line_feeds = 0;
  char buffer[65536];
  bool failed = false;
  while (line_feeds < kLinesRead) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
    line_feeds += static_cast<int>(std::count(buffer, buffer + n, '\n'));
  }
  close(fd);
  if (failed) return std::nullopt;
  return ParseConfig(bytes);
}

bool WriteConfigFile(const std::string& path, const ConfigValues& values) {
  std::string temp = path + ".tmp-XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fchmod(fd, 0600) == 0 && WriteAll(fd, FormatConfig(values)) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  SyncFolderOf(path);
  return true;
}

}  // namespace torva
