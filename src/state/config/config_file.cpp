#include "state/config/config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "text/numbers.h"

namespace torva {

namespace {

// The lines read after line 10: an ignored one and the MXI size limit.
constexpr int kLinesRead = 12;
// Longer lines keep only their start, and nothing past kMaxBytesRead is read:
// a file that is not ours (no line feeds, gigabytes) costs little.
constexpr std::size_t kMaxLineBytes = 64 * 1024;
constexpr std::size_t kMaxBytesRead = 16 * 1024 * 1024;

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

bool WriteAllAt(int fd, std::string_view bytes) {
  off_t at = 0;
  while (!bytes.empty()) {
    const ssize_t n = pwrite(fd, bytes.data(), bytes.size(), at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
    at += n;
  }
  return true;
}

// Makes the rename itself durable; a failure here loses nothing already written.
void SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : path.substr(0, slash);
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Keeps at most kMaxLineBytes of each line, and every line feed.
class BoundedLines {
 public:
  explicit BoundedLines(std::string& out) : out_(out) {}
  int line_feeds() const { return line_feeds_; }
  void Append(std::string_view chunk) {
    while (!chunk.empty()) {
      const std::size_t end = chunk.find('\n');
      const std::string_view part = chunk.substr(0, end);
      const std::size_t room = kMaxLineBytes - std::min(line_length_, kMaxLineBytes);
      out_.append(part.substr(0, room));
      line_length_ += part.size();
      if (end == std::string_view::npos) return;
      out_ += '\n';
      ++line_feeds_;
      line_length_ = 0;
      chunk.remove_prefix(end + 1);
    }
  }

 private:
  std::string& out_;
  std::size_t line_length_ = 0;
  int line_feeds_ = 0;
};

// Writes the new text beside `target` and renames it over it, so that a
// failure at any point leaves the old file whole. `old` is the file replaced.
bool ReplaceThroughTemporaryFile(const std::string& target, std::string_view text, mode_t mode,
                                 const struct stat* old) {
  std::string temp = target + ".tmp-XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  // Someone else's file (root saving a user's file) stays theirs; failing to
  // arrange that is not a reason to lose the new values.
  if (old && fchown(fd, old->st_uid, old->st_gid) != 0) {
  }
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  SyncFolderOf(target);
  return true;
}

// Rewrites the file itself (creating it 0600 when missing). Its space is
// reserved first, so that a full disk fails before the old text is touched.
bool RewriteInPlace(const std::string& path, std::string_view text) {
  const int fd =
      open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (ok && (info.st_mode & 077) != 0 && fchmod(fd, info.st_mode & 0700) != 0) {
    // Not our file to make private; it is still written.
  }
  if (ok) {
    const int reserved = posix_fallocate(fd, 0, static_cast<off_t>(text.size()));
    ok = reserved != ENOSPC && reserved != EFBIG && reserved != EDQUOT;
  }
  ok = ok && WriteAllAt(fd, text) && ftruncate(fd, static_cast<off_t>(text.size())) == 0 &&
       fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  return ok;
}

}  // namespace

bool FitsOnALine(std::string_view value) {
  return value.find_first_of(std::string_view("\n\0", 2)) == std::string_view::npos;
}

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

  // Nothing after the twelfth line matters, so reading stops there; a file
  // without line feeds must not be read, or kept, whole.
  std::string bytes;
  BoundedLines kept(bytes);
  char buffer[65536];
  bool failed = false;
  std::size_t total = 0;
  while (kept.line_feeds() < kLinesRead && total < kMaxBytesRead) {
    const ssize_t n = read(fd, buffer, std::min(sizeof buffer, kMaxBytesRead - total));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    if (n <= 0) break;
    total += static_cast<std::size_t>(n);
    kept.Append(std::string_view(buffer, static_cast<std::size_t>(n)));
  }
  close(fd);
  if (failed) return std::nullopt;
  return ParseConfig(bytes);
}

bool WriteConfigFile(const std::string& path, const ConfigValues& values) {
  const std::string text = FormatConfig(values);
  // A link at the settings' name is replaced by the file itself, never
  // written through: nothing outside the folder is touched.
  struct stat old {};
  const bool exists = lstat(path.c_str(), &old) == 0;
  const bool regular = exists && S_ISREG(old.st_mode);
  if (exists && !regular && !S_ISLNK(old.st_mode)) return false;
  const mode_t mode = regular && (old.st_mode & 077) == 0 ? (old.st_mode & 0700) : 0600;
  if (ReplaceThroughTemporaryFile(path, text, mode, regular ? &old : nullptr)) return true;
  // The folder may refuse new files while the file itself is writable.
  return !exists || regular ? RewriteInPlace(path, text) : false;
}

}  // namespace torva
