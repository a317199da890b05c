// The two requests a TORVAmeter client sends. Neither ends with a mark of
// its own, so a request is judged on the bytes received so far.
#pragma once

#include <cstddef>
#include <string_view>

namespace torva::update_server {

// The longest request accepted; anything longer is not a TORVAmeter client.
inline constexpr std::size_t kMaxRequestBytes = 256;

enum class RequestState {
  kIncomplete,  // a beginning of a valid request
  kComplete,    // a whole request (a version request may still grow)
  kMalformed,   // cannot become a valid request
};

// "TORVAmeter_Maxwell v" VERSION " / " SYSTEM " - Maxwell " RENDERER, where
// SYSTEM is "Mac" or "Linux"
RequestState CheckVersionRequest(std::string_view bytes);
// "TORVAmeter_Maxwell-update   (" SYSTEM " - Maxwell " RENDERER ")"
RequestState CheckUpdateRequest(std::string_view bytes);

}  // namespace torva::update_server
