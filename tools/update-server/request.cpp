#include "request.h"

#include <string>

namespace torva::update_server {
namespace {

constexpr std::string_view kVersionPrefix = "TORVAmeter_Maxwell v";
// The systems the clients name themselves after.
constexpr std::string_view kSystems[] = {"Mac", "Linux"};

std::string VersionMiddle(std::string_view system) {
  return " / " + std::string(system) + " - Maxwell ";
}
std::string UpdatePrefix(std::string_view system) {
  return "TORVAmeter_Maxwell-update   (" + std::string(system) + " - Maxwell ";
}

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
  for (std::string_view system : kSystems) {
    if (bytes.find(VersionMiddle(system), kVersionPrefix.size()) != std::string_view::npos)
      return RequestState::kComplete;
  }
  return RequestState::kIncomplete;
}

RequestState CheckUpdateRequest(std::string_view bytes) {
  if (bytes.size() > kMaxRequestBytes || !Printable(bytes)) return RequestState::kMalformed;
  RequestState state = RequestState::kMalformed;
  for (std::string_view system : kSystems) {
    const std::string prefix = UpdatePrefix(system);
    const RequestState against = AgainstPrefix(bytes, prefix);
    if (against == RequestState::kIncomplete) state = against;
    if (against != RequestState::kComplete) continue;
    std::string_view renderer = bytes.substr(prefix.size());
    std::size_t close = renderer.find(')');
    if (close == std::string_view::npos) return RequestState::kIncomplete;
    return close + 1 == renderer.size() ? RequestState::kComplete : RequestState::kMalformed;
  }
  return state;
}

}  // namespace torva::update_server
