// For tests of the benchmark: the renderer's replayed output and what the
// log of such a run holds.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "benchmark/benchmark_log.h"
#include "platform/cpu_info.h"
#include "state/outcome.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {

// Three estimates of 600, 601 and 602 s left after 15, 30 and 45 s rendered
// (whole renders of 615, 631 and 647 s), a fourth one that only comes when
// nobody stops the render, and a one-minute render ending at SL 12.5.
inline constexpr char kBenchmarkReplay[] =
    "Rendering...\n"
    "SL of 6.50. Elapsed 0h 0m 15s\nTime left: 0h 10m 0s\n@sleep 250\n"
    "SL of 8.12. Elapsed 0h 0m 30s\nTime left: 0h 10m 1s\n@sleep 250\n"
    "SL of 9.00. Elapsed 0h 0m 45s\nTime left: 0h 10m 2s\n@sleep 1500\n"
    "SL of 10.10. Elapsed 0h 1m 0s\nTime left: 0h 20m 0s\n"
    "SL of 12.50. Time limit reached\nRender finished in 0h 1m 0s\n";

// A whole render of 436 s three times: the GPU farm (218 s) is 2.0 times faster.
inline constexpr char kGpuBenchmarkReplay[] =
    "SL of 5.00. Elapsed 0h 0m 3s\nTime left: 0h 7m 13s\n@sleep 200\n"
    "SL of 6.00. Elapsed 0h 0m 6s\nTime left: 0h 7m 10s\n@sleep 200\n"
    "SL of 7.00. Elapsed 0h 0m 9s\nTime left: 0h 7m 7s\n@sleep 1500\n"
    "SL of 12.34. Time limit reached\n";

// The sixth log line of a PHASE 1 stopped after too few estimates to judge.
inline constexpr char kNotSettledLine[] =
    "PHASE 1 ended before its estimates had settled: the speed ratio may be far off.\n";

// A benchmark test's application folder and the benchmark's logs in it.
class BenchmarkTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  const std::string app_ = folder_.path() + "/TORVAmeter_Maxwell";
  const std::string bench_ = app_ + "/benchmark";
  const std::string cpu_log_ = bench_ + "/TORVAmeter_Benchmark.log";
  const std::string gpu_log_ = bench_ + "/TORVAmeter_BenchmarkGPU.log";

  // A run that failed saying `why`: the earlier log `earlier` stays as it
  // was, and the record of the unfinished run holds `record`.
  void ExpectFailedKeeping(const Outcome& outcome, const std::string& why,
                           const std::string& earlier, const std::string& record) {
    EXPECT_EQ(outcome.ending, Outcome::Ending::kFailed);
    EXPECT_NE(outcome.message.find(why), std::string::npos) << outcome.message;
    EXPECT_EQ(ReadFile(cpu_log_), earlier);
    const std::string unfinished = ReadFile(bench_ + "/TORVAmeter_Benchmark.unfinished.json");
    EXPECT_NE(unfinished.find(record), std::string::npos) << unfinished;
  }
};

// The log's first two lines on this machine.
inline std::string BenchmarkLogStart(const std::string& version) {
  return MachineLine(ProcessorBrand(), LogicalProcessors()) + "\nMaxwell Render " + version + "\n";
}

}  // namespace torva
