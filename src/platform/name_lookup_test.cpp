#include "platform/name_lookup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace torva {
namespace {

using std::chrono::milliseconds;

std::atomic<bool> name_server_may_answer{false};
std::atomic<bool> blocked_lookup_returned{false};

// A name server that answers only when the test lets it.
int BlockedResolver(const char*, const char* service, const addrinfo* hints, addrinfo** found) {
  while (!name_server_may_answer) std::this_thread::sleep_for(milliseconds(10));
  const int status = getaddrinfo("127.0.0.1", service, hints, found);
  blocked_lookup_returned = true;
  return status;
}

int SlowResolver(const char*, const char* service, const addrinfo* hints, addrinfo** found) {
  std::this_thread::sleep_for(milliseconds(200));
  return getaddrinfo("127.0.0.1", service, hints, found);
}

int FailingResolver(const char*, const char*, const addrinfo*, addrinfo** found) {
  *found = nullptr;
  return EAI_NONAME;
}

TEST(LookUpHostTest, FindsANumericAddressAndReportsAFailedLookupAsNoAddress) {
  const AddressList found = LookUpHost("127.0.0.1", 8080, 60'000);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->ai_socktype, SOCK_STREAM);
  EXPECT_EQ(LookUpHost("torva.invalid", 8080, 60'000, FailingResolver), nullptr);
}

// The lookup finishes on its own thread after the caller gave up; what it
// found is freed there, which the leak check at the end of the test program
// would report otherwise.
TEST(LookUpHostTest, ALookupThatOutlivesItsLimitIsGivenUpAndCleansUpAfterItself) {
  EXPECT_EQ(LookUpHost("silent.example", 8080, 50, BlockedResolver), nullptr);
  name_server_may_answer = true;
  while (!blocked_lookup_returned) std::this_thread::sleep_for(milliseconds(10));
  std::this_thread::sleep_for(milliseconds(200));  // time for it to free what it found
}

TEST(LookUpHostTest, ASlowLookupWithinItsLimitIsWaitedFor) {
  const AddressList found = LookUpHost("slow.example", 8080, 60'000, SlowResolver);
  EXPECT_NE(found, nullptr);
}

}  // namespace
}  // namespace torva
