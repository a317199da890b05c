// The system the program runs on, as the logs and the update server name it.
#pragma once

namespace torva {

enum class HostSystem { kMac, kLinux };

constexpr HostSystem ThisSystem() {
#ifdef __APPLE__
  return HostSystem::kMac;
#else
  return HostSystem::kLinux;
#endif
}

// "Mac" or "Linux".
constexpr const char* SystemName() { return ThisSystem() == HostSystem::kMac ? "Mac" : "Linux"; }

}  // namespace torva
