// The configuration file: ten lines of comments and values, the login and
// password stored as Base64 blocks, and an optional twelfth line that
// overrides the MXI size limit. Only the format lives here; the questions
// around it are in settings.h.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace torva {

struct ConfigValues {
  std::string MaxwellDir, FarmLogin, FarmPassword, LastDir, CheckUpdates;
  std::optional<int> MxiSizeLimitMB;  // set only when the file goes on after line 10
  // Credential lines that held something but nothing decodable, written back
  // as they stood, so that a line the user may still mend is not lost.
  std::string unreadable_login_line = {};
  std::string unreadable_password_line = {};
};

// nullopt when the file cannot be opened for reading (or is a folder). Reads
// at most 12 lines, each cut at 64 KiB, and at most 16 MiB in all.
std::optional<ConfigValues> ReadConfigFile(const std::string& path);

// Values are taken exactly as their lines stand; missing lines read as empty.
ConfigValues ParseConfig(std::string_view bytes);

// Exactly ten lines, each ended by "\n". A value holding a line feed is cut
// before it, so that the lines stay in place. An unreadable credential line
// stands in for its value; the password is then written whenever the login is.
std::string FormatConfig(const ConfigValues& values);

// Replaces the file atomically where its folder allows: a temporary file
// beside it is written, flushed to disk and renamed over it. Where the folder
// refuses new files, the file is rewritten in place (its space reserved first,
// then written, cut to length and flushed). A symbolic link is written
// through. A new file gets mode 0600, a private one keeps its mode, any other
// is made private. False when neither way works; no temporary file is left.
bool WriteConfigFile(const std::string& path, const ConfigValues& values);

// Whether a value can stand on a line of the file as it is: a line feed
// would end the line and a zero byte is no text.
bool FitsOnALine(std::string_view value);

// A credential block holds this many UTF-16 units: 20 characters, fewer when
// some lie beyond U+FFFF (they take two units).
inline constexpr std::size_t kCredentialUnits = 20;

// Why `password` cannot be stored as given, in one sentence for a message
// box or the command line; "" when its block keeps it whole: valid UTF-8, no
// zero character (the block ends at the first), at most kCredentialUnits.
std::string PasswordRefusal(const std::string& password);

// Base64 (56 characters) of a 40-byte block holding up to 20 UTF-16LE units
// of `value`, zero-filled. A surrogate pair that does not fit is dropped
// whole; invalid UTF-8 becomes U+FFFD.
std::string EncodeCredential(const std::string& value);

// The value of a stored block: 40 spaces whose start is overwritten by the
// decoded block's first 40 bytes, ending before the first zero unit. The line
// is decoded loosely (DecodeBase64Loosely); an empty line, or one with nothing
// decodable, gives the 40 spaces. Lone surrogates become U+FFFD.
std::string DecodeCredential(std::string_view line);

// True for a line that holds more than blanks but nothing decodable.
bool CredentialLineUnreadable(std::string_view line);

}  // namespace torva
