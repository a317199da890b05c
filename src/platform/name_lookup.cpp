#include "platform/name_lookup.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace torva {
namespace {

// What the lookup's thread and its caller share; whichever of them is last
// to let go of it frees it.
struct PendingLookup {
  std::mutex mutex;
  std::condition_variable answered;
  bool done = false;
  bool abandoned = false;  // the caller has stopped waiting
  addrinfo* found = nullptr;
};

}  // namespace

AddressList LookUpHost(const std::string& host, int port, int timeout_ms, Resolver resolve) {
  auto pending = std::make_shared<PendingLookup>();
  auto look_up = [pending, host, service = std::to_string(port), resolve] {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (resolve(host.c_str(), service.c_str(), &hints, &found) != 0) found = nullptr;
    const std::lock_guard lock(pending->mutex);
    if (pending->abandoned) {
      if (found) freeaddrinfo(found);
      return;
    }
    pending->found = found;
    pending->done = true;
    pending->answered.notify_one();
  };
  try {
    std::thread(look_up).detach();
  } catch (const std::system_error&) {
    look_up();  // no thread to be had: the lookup keeps the resolver's limits
  }
  std::unique_lock lock(pending->mutex);
  const bool done = pending->answered.wait_for(
      lock, std::chrono::milliseconds(std::max(timeout_ms, 0)), [&] { return pending->done; });
  if (!done) {
    pending->abandoned = true;
    return {nullptr, freeaddrinfo};
  }
  return {pending->found, freeaddrinfo};
}

}  // namespace torva
