// A child program with scripted behaviour, one mode per test:
//   lines COUNT INTERVAL_MS PREFIX   COUNT lines "PREFIX<i>", one per interval
//   hang COUNT                       COUNT lines (in one write), then sleeps
//                                    until killed
//   wait-for FILE                    "waiting", then "done" once FILE exists
//   flood MEGABYTES DONE_FILE        1 KiB lines as fast as the pipe takes
//                                    them, then creates DONE_FILE
//   partial READY GO                 "half", creates READY, then " done" and a
//                                    line feed once GO exists
//   long BYTES                       one line of BYTES "a", then "after", "last"
//   odd                              invalid UTF-8, CR LF, no final line feed
//   close-early GO MS                one line, closes stdout, lives until GO
//                                    exists and MS longer
//   family                           starts a grandchild that ignores SIGTERM
//                                    and keeps stdout open; each says who it
//                                    is and its process group, then both
//                                    sleep until killed
//   detach COUNT SECONDS [flood]     starts a helper in a session of its own that
//                                    keeps stdout open for SECONDS, silent or
//                                    writing "helper" lines as fast as the pipe
//                                    takes them; says "helper PID", writes COUNT
//                                    lines (one write each) and exits
//   repeat TEXT                      "TEXT" lines as fast as the pipe takes
//                                    them, forever
//   burn SECONDS INTERVAL_MS         burns CPU, one line per interval
//   args ...                         each argument on a line, then the folder
//   stdio                            says whether stdin is at its end
//   exit CODE                        writes 1 MiB, exits with CODE
#include <unistd.h>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

void Write(const std::string& text) {
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t n = write(1, p, left);
    if (n <= 0) return;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

void SleepMs(long ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Gives up after a minute, so that a failing test cannot leave it behind.
void WaitForFile(const std::string& path) {
  for (int i = 0; i < 6000 && access(path.c_str(), F_OK) != 0; ++i) SleepMs(10);
}

long Arg(int argc, char** argv, int i) { return i < argc ? std::atol(argv[i]) : 0; }

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "lines") {
    const std::string prefix = argc > 4 ? argv[4] : "line ";
    for (long i = 1; i <= Arg(argc, argv, 2); ++i) {
      Write(prefix + std::to_string(i) + "\n");
      SleepMs(Arg(argc, argv, 3));
    }
  } else if (mode == "hang") {
    std::string lines;
    for (long i = 1; i <= Arg(argc, argv, 2); ++i) lines += "line " + std::to_string(i) + "\n";
    Write(lines);
    for (;;) pause();
  } else if (mode == "wait-for") {
    Write("waiting\n");
    WaitForFile(argc > 2 ? argv[2] : "");
    Write("done\n");
  } else if (mode == "flood") {
    const std::string line = std::string(1023, 'x') + "\n";
    std::string block;
    for (int i = 0; i < 64; ++i) block += line;
    for (long i = 0; i < Arg(argc, argv, 2) * 16; ++i) Write(block);
    if (argc > 3) std::fclose(std::fopen(argv[3], "w"));
  } else if (mode == "partial" && argc > 3) {
    Write("half");
    std::fclose(std::fopen(argv[2], "w"));
    WaitForFile(argv[3]);
    Write(" done\n");
  } else if (mode == "long") {
    Write(std::string(static_cast<std::size_t>(Arg(argc, argv, 2)), 'a') + "\nafter\nlast");
  } else if (mode == "odd") {
    Write("bad \xff\xfe end\n");
    Write("windows\r\n");
    Write("euro \xe2\x82\xac ok\n");
    Write("cut \xe2\x82\n");
    Write("no feed");
  } else if (mode == "close-early" && argc > 2) {
    Write("before close\n");
    close(1);
    WaitForFile(argv[2]);
    SleepMs(Arg(argc, argv, 3));
  } else if (mode == "family") {
    const std::string group = std::to_string(getpgrp());
    if (fork() == 0) {
      signal(SIGTERM, SIG_IGN);
      Write("grandchild " + group + "\n");
      for (;;) pause();
    }
    Write("child " + group + "\n");
    for (;;) pause();
  } else if (mode == "detach") {
    const long seconds = Arg(argc, argv, 3);
    const bool flood = argc > 4 && std::string(argv[4]) == "flood";
    const pid_t helper = fork();
    if (helper == 0) {
      setsid();
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
      // Writes of at most PIPE_BUF bytes stay whole between other writers'.
      std::string block;
      while (block.size() + 7 <= PIPE_BUF) block += "helper\n";
      while (std::chrono::steady_clock::now() < end) {
        if (!flood)
          SleepMs(100);
        else if (write(1, block.data(), block.size()) < 0)
          break;
      }
      return 0;
    }
    Write("helper " + std::to_string(helper) + "\n");
    for (long i = 1; i <= Arg(argc, argv, 2); ++i) Write("line " + std::to_string(i) + "\n");
  } else if (mode == "repeat" && argc > 2) {
    const std::string line = std::string(argv[2]) + "\n";
    std::string block;
    while (block.size() < 16384) block += line;
    for (;;) Write(block);
  } else if (mode == "burn") {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(Arg(argc, argv, 2));
    const auto interval = std::chrono::milliseconds(Arg(argc, argv, 3));
    auto next = std::chrono::steady_clock::now() + interval;
    volatile unsigned long sink = 0;
    for (long n = 1; std::chrono::steady_clock::now() < end;) {
      for (int i = 0; i < 10000; ++i) sink = sink + static_cast<unsigned long>(i);
      if (std::chrono::steady_clock::now() >= next) {
        Write("SL of " + std::to_string(n++) + ".00. Rendering...\n");
        next += interval;
      }
    }
  } else if (mode == "args") {
    for (int i = 2; i < argc; ++i) Write(std::string("[") + argv[i] + "]\n");
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) Write(std::string("cwd=") + cwd + "\n");
  } else if (mode == "stdio") {
    Write("to stderr\n");
    (void)!write(2, "error text\n", 11);
    char c;
    Write(read(0, &c, 1) == 0 ? "stdin at end\n" : "stdin has data\n");
  } else if (mode == "exit") {
    const std::string block(1 << 20, 'z');
    Write(block);
    return static_cast<int>(Arg(argc, argv, 2));
  } else {
    return 99;
  }
  return 0;
}
