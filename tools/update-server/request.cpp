#include "request.h"

namespace torva::update_server {
namespace {

constexpr std::string_view kVersionPrefix = "TORVAmeter_Maxwell v";
constexpr std::string_view kVersionMiddle = " / Mac - Maxwell ";
constexpr std::string_view kUpdatePrefix = "TORVAmeter_Maxwell-update   (Mac - Maxwell ";

// Versions are plain text: printable ASCII only.
bool Printable(std::string_view bytes) {
  for (char c : bytes)
    if (c < 0x20 || c > 0x7e) return false;
  return true;
}

// kIncomplete while `bytes` is a beginning of `prefix`; kComplete once it
// holds the whole prefix; kMalformed otherwise.
RequestState AgainstPrefix(std::string_view bytes, std::string_view prefix) {
  if (bytes.size() < prefix.size())
    return prefix.starts_with(bytes) ? RequestState::kIncomplete : RequestState::kMalformed;
  return bytes.starts_with(prefix) ? RequestState::kComplete : RequestState::kMalformed;
}

}  // namespace

RequestState CheckVersionRequest(std::string_view bytes) {
  if (bytes.size() > kMaxRequestBytes || !Printable(bytes)) return RequestState::kMalformed;
  RequestState state = AgainstPrefix(bytes, kVersionPrefix);
  if (state != RequestState::kComplete) return state;
  return bytes.find(kVersionMiddle, kVersionPrefix.size()) == std::string_view::npos
             ? RequestState::kIncomplete
             : RequestState::kComplete;
}

RequestState CheckUpdateRequest(std::string_view bytes) {
  if (bytes.size() > kMaxRequestBytes || !Printable(bytes)) return RequestState::kMalformed;
  RequestState state = AgainstPrefix(bytes, kUpdatePrefix);
  if (state != RequestState::kComplete) return state;
  std::string_view renderer = bytes.substr(kUpdatePrefix.size());
  std::size_t close = renderer.find(')');
  if (close == std::string_view::npos) return RequestState::kIncomplete;
  return close + 1 == renderer.size() ? RequestState::kComplete : RequestState::kMalformed;
}

}  // namespace torva::update_server
