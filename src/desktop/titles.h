// The titles of the program's error and warning messages.
#pragma once

namespace torva {

inline constexpr const char* kErrorTitle = "TORVAmeter error";
inline constexpr const char* kWarningTitle = "TORVAmeter warning";

}  // namespace torva
