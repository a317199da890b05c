#include "update/update_reply.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/system_name.h"
#include "text/text.h"
#include "text/utf8.h"
#include "text/version.h"

namespace torva {

std::string VersionRequest(const std::string& version, const std::string& renderer_version) {
  return "TORVAmeter_Maxwell v" + version + " / " + SystemName() + " - Maxwell " + renderer_version;
}

std::string UpdateRequest(const std::string& renderer_version) {
  return "TORVAmeter_Maxwell-update   (" + std::string(SystemName()) + " - Maxwell " +
         renderer_version + ")";
}

std::string ReplyText(const char* bytes, std::size_t count) {
  const void* zero = std::memchr(bytes, 0, count);
  std::string_view raw(bytes, zero ? static_cast<const char*>(zero) - bytes : count);
  std::string text;
  for (std::size_t pos = 0; pos < raw.size();) {
    Utf8Char c = DecodeUtf8At(raw, pos);
    AppendUtf8(text, c.code);
    pos += c.bytes;
  }
  return text;
}

bool LooksLikeVersion(const std::string& reply) {
  const auto allowed = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
  };
  return !reply.empty() && reply.size() <= kLongestVersionReply &&
         std::all_of(reply.begin(), reply.end(), allowed);
}

std::string ReplyForLog(const std::string& reply) {
  std::string text;
  for (const char c : std::string_view(reply).substr(0, kLongestVersionReply)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && c != '\\') {
      text += c;
    } else {
      constexpr const char* kHex = "0123456789abcdef";
      text += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    }
  }
  if (reply.size() > kLongestVersionReply)
    text += "... (" + std::to_string(reply.size()) + " bytes)";
  return text;
}

std::string AnnouncedVersion(const std::string& reply) { return TextAfter(reply, "-"); }

bool IsNewerVersion(const std::string& own, const std::string& announced) {
  return CompareVersions(own, announced) < 0;
}

}  // namespace torva
