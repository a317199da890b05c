// Looking up a host's addresses within a time limit.
#pragma once

#include <netdb.h>

#include <memory>
#include <string>

namespace torva {

using AddressList = std::unique_ptr<addrinfo, void (*)(addrinfo*)>;

// A lookup with getaddrinfo's signature; what it finds is freed with
// freeaddrinfo.
using Resolver = int (*)(const char* host, const char* service, const addrinfo* hints,
                         addrinfo** found);

// The addresses of `host` for a stream connection to `port`; an empty list
// when the lookup failed or had not answered within `timeout_ms`.
// The system's lookup keeps only the resolver's own limits (tens of seconds
// when no name server answers), so it runs on a thread of its own; one that
// outlives the limit is left to finish and frees what it found.
AddressList LookUpHost(const std::string& host, int port, int timeout_ms,
                       Resolver resolve = getaddrinfo);

}  // namespace torva
