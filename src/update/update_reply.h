// The texts of the update conversation and the reading of the server's reply.
#pragma once

#include <cstddef>
#include <string>

namespace torva {

// What the client sends right after connecting.
std::string VersionRequest(const std::string& version, const std::string& renderer_version);
// What the client sends when the user wants the new version.
std::string UpdateRequest(const std::string& renderer_version);

// The reply as text: the received bytes up to the first zero byte; bytes that
// are not UTF-8 become U+FFFD, so the text can always be shown.
std::string ReplyText(const char* bytes, std::size_t count);

// A reply that can be offered to the user: 1 to kLongestVersionReply letters,
// digits, ".", "-" and "_" (ASCII). Anything else (line feeds, escape
// sequences, sentences) is an unusual reply, never shown in a question.
constexpr std::size_t kLongestVersionReply = 64;
bool LooksLikeVersion(const std::string& reply);

// An unusual reply as it can be logged: printable ASCII as it is, other bytes
// as \xNN, at most kLongestVersionReply bytes followed by the whole length.
std::string ReplyForLog(const std::string& reply);

// The version a reply announces: the text after its first "-", or the whole
// reply when it holds none.
std::string AnnouncedVersion(const std::string& reply);

// By CompareVersions: "2.10" is newer than "2.8".
bool IsNewerVersion(const std::string& own, const std::string& announced);

}  // namespace torva
