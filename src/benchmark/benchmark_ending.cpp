#include <filesystem>

#include "benchmark/benchmark_log.h"
#include "benchmark/benchmark_steps.h"
#include "benchmark/benchmark_windows.h"
#include "text/numbers.h"
#include "text/paths.h"

namespace torva {

Next CommitLog(BenchmarkRun& run) {
  run.log.Write(DeltaSLLine(run.delta_sl));
  run.log.Write(EquivalentSLLine(run.delta_sl));
  if (!run.record.settled) run.log.Write(NotSettledLine(run.record.speed_ratio_range));
  if (!run.log.Commit())
    return run.StopFor(
        {"log not written", "The benchmark log " + run.log_path + " cannot be written."});
  SetResults(run.state, run.mode,
             {run.record.speed_ratio.value_or(0), run.delta_sl, run.record.speed_ratio_range});
  run.outcome.log = run.log_path;
  run.record.delta_sl = run.delta_sl;
  run.record.outcome = "finished";
  return Next::GoOn();
}

void EndWithoutResults(BenchmarkRun& run) {
  const Stop& stop = run.stop;
  run.log.Discard();
  const std::optional<BenchmarkResults> earlier = ReadBenchmarkLog(run.log_path);
  SetResults(run.state, run.mode, earlier.value_or(BenchmarkResults{}));
  run.record.outcome = stop.outcome;
  if (stop.quit) {
    run.outcome.ending = Outcome::Ending::kQuit;
    return;
  }
  run.Report("");
  run.Report(stop.why);
  if (!stop.detail.empty()) run.Report(stop.detail);
  run.Report("The benchmark has been stopped: run it again to get its results.");
  run.Fail(kBenchmarkErrorTitle,
           stop.why + DetailLine(stop.detail) +
               "\nThe benchmark has been stopped: run it again to get its results.");
}

// Failures to write the record and the chart are not reported: nothing
// depends on them.
std::optional<Picture> SaveRecordAndPlot(BenchmarkRun& run, bool finished) {
  std::error_code ec;
  if (finished) {
    // What an earlier unfinished run left would only contradict this one.
    std::filesystem::remove(RecordPathFor(run.log_path, false), ec);
    std::filesystem::remove(PlotPathFor(run.log_path, false), ec);
  }
  run.outcome.record = run.record;
  if (WriteRecord(RecordPathFor(run.log_path, finished), run.record))
    run.outcome.record_path = RecordPathFor(run.log_path, finished);
  if (run.record.estimates.empty()) return std::nullopt;
  Picture plot = DrawTimeChart(EstimatesChart(run.record));
  plot.source = PlotPathFor(run.log_path, finished);
  if (SavePng(plot, plot.source)) run.outcome.chart = plot.source;
  return plot;
}

void ReportClosingLines(BenchmarkRun& run) {
  run.Report("");
  run.Report(DeltaSLLine(run.delta_sl));
  run.Report("");
  run.Report(EquivalentSLLine(run.delta_sl));
  run.Report("");
  run.Report("TORVAmeter Benchmark finished!");
  run.Report("");
  run.Report("Results have been written in:");
  run.Report("   \"" + FileNameOf(run.log_path) + "\" ('/benchmark/' subfolder).");
  if (!run.record.settled) {
    run.Report("");
    run.Report(NotSettledLine(run.record.speed_ratio_range));
  }
}

void ShowResult(BenchmarkRun& run, std::optional<Picture> plot) {
  const std::string size = SizeText(run.bench.phase2_size);
  ResultPictures result;
  result.title = run.Gpu()
                     ? "TORVAmeter GPU benchmark result - 1 min. render (real size " + size + ")"
                     : "TORVAmeter benchmark result - 1 minute render (real size " + size + ")";
  result.system_path = run.InBenchDir(run.bench.system_image);
  result.farm_path = run.InBenchDir(run.bench.farm_image);
  result.system_caption =
      "Your system (1 mn render - SL = " + FormatFixed(run.farm.sl - run.delta_sl, 2) + ")";
  result.farm_caption = "The TORVA (1 mn render - SL = " + FormatFixed(run.farm.sl, 2) + ")";
  result.estimate_plot = std::move(plot);
  ShowResultWindow(run.desktop, result);
}

}  // namespace torva
