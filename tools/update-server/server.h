// The update server: one thread, one poll() loop, non-blocking sockets. The
// zip is streamed from the disk through one shared buffer, so memory does
// not grow with the file or with the number of downloads.
#pragma once

#include <cstdio>
#include <string>

namespace torva::update_server {

struct Options {
  std::string listen = "0.0.0.0:6789";  // HOST:PORT; port 0 takes a free one
  std::string version;                  // the reply to every version request
  std::string zip;                      // the file sent on an update request
  int max_connections = 512;            // more are closed at once
  int max_per_address = 8;              // from one client address; more are closed at once
  // Clients that have their reply and wait for their user's decision; past
  // this many (or half of max_connections), the one that has waited longest
  // is closed.
  int max_waiting = 256;
  int request_ms = 10'000;  // to send the version request
  int answer_ms = 300'000;  // for the user to decide after the reply
  int stall_ms = 60'000;    // without progress while sending
  int settle_ms = 30;       // quiet after a version request before answering
  // Log lines one client address gets at once; then one every 3 s.
  int log_burst = 20;
};

// Serves until a byte arrives on `stop_fd` (the signal handler writes one).
// Writes "listening on ADDRESS:PORT" first, then one line per connection to
// `log`, through a queue of its own (log.h) that never holds up the serving;
// a log still not read half a second after the stop is left behind. Returns
// 0, or 1 with a message on standard error when it cannot start.
int Serve(const Options& options, int stop_fd, std::FILE* log);

}  // namespace torva::update_server
