#include "benchmark/benchmark_run.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>

#include "benchmark/benchmark_log.h"
#include "benchmark/benchmark_record.h"
#include "benchmark/benchmark_results.h"
#include "benchmark/benchmark_windows.h"
#include "benchmark/farm_figures.h"
#include "desktop/buttons_disabled.h"
#include "platform/cpu_info.h"
#include "platform/work_file.h"
#include "renderer/command_lines.h"
#include "renderer/output_lines.h"
#include "renderer/process.h"
#include "state/renderer_check.h"
#include "text/numbers.h"
#include "text/paths.h"
#include "watch/preview_window.h"
#include "watch/settling.h"
#include "watch/watched_render.h"

namespace torva {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kErrorTitle = "TORVAmeter Benchmark Error";

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

const std::string& LogPathOf(const Program& program, RenderMode mode) {
  return mode == RenderMode::kGpu ? program.paths.GpuBenchmarkLog : program.paths.BenchmarkLog;
}

// One benchmark run: its case, its log and what it has read so far.
struct Run {
  Run(Program& program_, RenderMode mode_)
      : program(program_),
        mode(mode_),
        bench(BenchmarkCaseFor(program.constants, program.state.RendererVersion, mode)),
        log_path(LogPathOf(program, mode)) {}

  void Report(const std::string& text) { ReportLine(program, text); }
  // The error box, which is also why the command failed.
  void Fail(const std::string& text) {
    program.desktop.Message(kErrorTitle, text);
    outcome.Fail(text);
  }
  std::string InBenchDir(const std::string& name) const {
    return program.paths.BenchDir + "/" + name;
  }
  float& RatioResult() {
    return mode == RenderMode::kGpu ? program.state.GpuFarmSpeedRatio
                                    : program.state.FarmSpeedRatio;
  }
  float& DeltaResult() {
    return mode == RenderMode::kGpu ? program.state.GpuDeltaSL : program.state.DeltaSL;
  }
  bool Gpu() const { return mode == RenderMode::kGpu; }

  Program& program;
  const RenderMode mode;
  const BenchmarkCase bench;
  const std::string log_path;
  ReplacingLog log;
  BenchmarkRecord record;
  BenchmarkOutcome outcome;
  float delta_sl = 0;
  bool close_requested = false;  // during the minute that cannot be interrupted
};

// How a run ended short of its results: the record's outcome, and the text
// that says why (none when the user chose to quit).
struct Stop {
  std::string outcome;
  std::string why;
  std::string detail = {};  // a line more, below `why`
};

// The renderer 5 scene and its light come from the renderer's own library
// for each run, and go again at its end, whichever way it ends. A scene
// missing from the library is not reported (the render then finds none); a
// copy that fails (a full disk) is.
class SceneCopy {
 public:
  explicit SceneCopy(const Run& run) {
    if (run.bench.generation != '5') return;
    const std::string source =
        run.program.state.MaxwellDir + "/library/Scenes/Bottles_on_a_window/";
    for (const char* name : {"Bottles_on_a_window.mxs", "OpenfootageNEtHDRCow_small.hdr"}) {
      copies_.push_back(run.InBenchDir(name));
      std::error_code error;
      fs::remove(copies_.back(), error);  // a link left there goes, not what it points at
      if (!fs::exists(source + name, error)) continue;
      fs::copy_file(source + name, copies_.back(), error);
      if (error && !failure_) failure_ = error;
    }
  }
  // Why a copy failed; empty when all went well.
  const std::error_code& failure() const { return failure_; }
  ~SceneCopy() { Remove(); }
  SceneCopy(const SceneCopy&) = delete;
  SceneCopy& operator=(const SceneCopy&) = delete;

  void Remove() {
    for (const std::string& copy : copies_) {
      std::error_code error;
      fs::remove(copy, error);
    }
    copies_.clear();
  }

 private:
  std::vector<std::string> copies_;
  std::error_code failure_;
};

ExternalProcess LaunchRenderer(const Run& run, int phase) {
  const std::string& maxwell_dir = run.program.state.MaxwellDir;
  return ExternalProcess::Launch(
      RendererExecutable(maxwell_dir),
      BenchmarkArguments(phase, run.bench.generation, run.mode, run.program.paths.BenchDir),
      maxwell_dir);
}

// What may end the command before anything is changed: the renderer 5
// scene, the renderer check, an earlier log the user wants to keep.
Next ReadyToRun(Program& program, RenderMode mode, Outcome& outcome) {
  Desktop& desktop = program.desktop;
  State& state = program.state;
  const auto fail = [&](const std::string& title, const std::string& text) {
    desktop.Message(title, text);
    outcome.Fail(text);
    return Next{Next::kGiveUp};
  };
  if (state.RendererVersion.starts_with('5') &&
      !fs::exists(state.MaxwellDir +
                  "library/Scenes/Bottles_on_a_window/Bottles_on_a_window.mxs")) {
    return fail(kErrorTitle,
                "Can't find Maxwell 5 benchmark scene!\nPlease install Maxwell Studio on this "
                "system.");
  }

  desktop.ClearLog();
  state.LogLine = 0;

  const RendererCheck renderer_check = CheckRenderer(program);
  if (renderer_check == RendererCheck::kInstallationGone) return GiveUpOnInstallation(program);
  if (renderer_check == RendererCheck::kTooOld) {
    return fail("TORVAmeter error", "Your Maxwell Render version is " + state.RendererVersion +
                                        ".\nTORVAmeter needs at least Maxwell Render 2.0.2.0 to "
                                        "run the benchmark.");
  }

  const bool run = !BenchmarkLogPresent(LogPathOf(program, mode)) ||
                   desktop.Question(BenchmarkTitle(mode),
                                    "The benchmark has already been run. Do you want to "
                                    "run it again?\nIf yes the new data will replace the old "
                                    "values.");
  if (!run) outcome.ending = Outcome::Ending::kCancelled;
  return {run ? Next::kGoOn : Next::kGiveUp};
}

// The log, created anew with its first two lines. The benchmark folder comes
// with the installation; it is made here when missing so that the renderer 5
// run, which brings its own scene, works.
bool CreateLog(Run& run) {
  std::error_code error;
  fs::create_directories(run.program.paths.BenchDir, error);
  if (!run.log.Create(run.log_path)) {
    run.Fail("The benchmark log " + run.log_path +
             " cannot be created.\nThe benchmark has not been run.");
    return false;
  }
  run.record.bench_mode = run.mode;
  run.record.processor_brand = ProcessorBrand();
  run.record.logical_processors = LogicalProcessors();
  run.record.renderer_version = run.program.state.RendererVersion;
  run.record.scene = run.bench.scene;
  run.record.farm_seconds = run.bench.farm_seconds;
  run.record.farm_sl = run.bench.farm_sl;
  run.log.Write(MachineLine(run.record.processor_brand, run.record.logical_processors));
  run.log.Write(RendererLine(run.record.renderer_version));
  if (run.log.error() != 0) {
    run.Fail("The benchmark log " + run.log_path + " cannot be written: " +
             std::strerror(run.log.error()) + ".\nThe benchmark has not been run.");
    return false;
  }
  return true;
}

// The banner above PHASE 1.
void ReportBanner(Run& run, const BenchmarkOptions& options) {
  // Without a window nobody clicks: the stop rule ends PHASE 1.
  if (options.phase1_stop_rule) {
    run.Report("PHASE 1 ends by itself once its estimations have settled.");
    run.Report("");
    run.Report(run.Gpu() ? "The TORVAmeter GPU benchmark is running... (PHASE 1)"
                         : "The TORVAmeter benchmark is currently running... (PHASE 1)");
    return;
  }
  if (run.Gpu()) {
    run.Report("<<           PLEASE WAIT FOR THE ESTIMATION TO          >>");
    run.Report("<<      STABILIZE BEFORE CLICKING ON THE 'BENCHMARK' BUTTON   >>");
    run.Report("");
    run.Report("The TORVAmeter GPU benchmark is running... (PHASE 1)");
  } else {
    run.Report("<<   CLICK ON THE 'BENCHMARK' BUTTON TO GO TO PHASE 2   >>");
    run.Report("<<          AFTER AT LEAST TWO ESTIMATIONS ARE DONE             >>");
    run.Report("");
    run.Report("The TORVAmeter benchmark is currently running... (PHASE 1)");
  }
}

// The speed ratio, into the log and the panel.
void ReportRatio(Run& run, float ratio) {
  run.log.Write(RatioLine(ratio, run.mode));
  run.Report("");
  run.Report("The TORVA is " + FormatFixed(ratio, 1) + " times faster (+/- 10%) than");
  run.Report("this system (with " + FarmPoolText(run.mode) + ").");
  run.Report("");
}

// PHASE 1: the renderer's estimates of the time to SL 20, until the user
// (or the options' stop rule) stops it after at least two. Each estimate
// counts as the whole render time it predicts (the time rendered so far plus
// the time left), so the mean does not depend on when the render stops.
WatchedRender RunPhase1(Run& run, const BenchmarkOptions& options) {
  RenderWatch watch;
  watch.stop_gadget = kBenchmark;
  watch.readings_before_stop = 2;
  watch.stop_rule = options.phase1_stop_rule;
  watch.too_early = {"At least two estimations are needed before you can stop the simulation...",
                     "The more estimations are done, the more reliable the test.", ""};
  watch.silence_limit_ms = options.silence_limit_ms;
  watch.confirm_quit = [&] { return ConfirmQuit(run.program, "the benchmark"); };
  watch.report = [&](const std::string& text) { run.Report(text); };
  watch.on_reading = [&](const TimeLeftReading& reading, double seconds) {
    run.Report("Time left to reach SL=20 ->  " + reading.time_left_text + " (estimation " +
               std::to_string(run.record.estimates.size() + 1) + ") at SL=" + reading.sl_text);
    run.record.estimates.push_back({seconds, reading.time_left_seconds, reading.time_left_text,
                                    reading.sl_text, reading.sampling_level,
                                    reading.rendered_seconds});
  };
  ExternalProcess renderer = LaunchRenderer(run, 1);
  return WatchRender(renderer, run.program.desktop, watch);
}

// The speed ratio from PHASE 1's mean whole-render prediction.
std::optional<Stop> MeasureRatio(Run& run, const BenchmarkOptions& options) {
  const WatchedRender phase1 = RunPhase1(run, options);
  if (phase1.quit) return Stop{"stopped to quit", ""};
  if (phase1.silenced) {
    run.Report(SilenceLine(options.silence_limit_ms));
    run.Report("");
  }
  if (phase1.readings.empty()) {
    return Stop{"no estimate",
                "Maxwell Render gave no estimation of the time left, so the speed ratio could "
                "not be measured.",
                StartFailureText("Maxwell Render", phase1.start_error)};
  }
  run.record.phase1_ended_by = EndedByText(phase1);
  // Early estimates lean one way; once they have settled, only the settled
  // ones count.
  std::vector<std::int64_t> whole;
  for (const TimeLeftReading& reading : phase1.readings) whole.push_back(reading.WholeSeconds());
  run.record.settled_from = SettledFrom(whole);
  const std::size_t first = run.record.settled_from.value_or(0);
  run.record.spread = SpreadOf(whole, first, whole.size());
  long long whole_sum = 0;
  for (std::size_t i = first; i < whole.size(); ++i) whole_sum += whole[i];
  const long long mean_seconds = MeanSeconds(whole_sum, static_cast<int>(whole.size() - first));
  const float ratio = SpeedRatio(mean_seconds, run.bench.farm_seconds);
  if (!std::isfinite(ratio) || ratio <= 0) {
    return Stop{"no estimate",
                "Maxwell Render gave no usable estimation of the time left, so the speed ratio "
                "could not be measured."};
  }
  run.RatioResult() = ratio;
  run.record.mean_seconds = mean_seconds;
  run.record.speed_ratio = ratio;
  ReportRatio(run, ratio);
  return std::nullopt;
}

struct Phase2 {
  std::optional<float> sl;  // the last SL reached, when any came
  bool timed_out = false;
  int start_error = 0;  // why the renderer could not be started, or 0
};

// PHASE 2: the one-minute render, watched in the preview window.
Phase2 RunPhase2(Run& run, int time_limit_ms) {
  Desktop& desktop = run.program.desktop;
  desktop.SetLogLine(0, "");
  desktop.SetLogLine(1, "");
  run.Report(run.Gpu() ? "The TORVAmeter GPU benchmark is running... (PHASE 2)"
                       : "The TORVAmeter benchmark is currently running... (PHASE 2)");
  run.Report("This is a one minute render which cannot be interrupted.");
  run.Report("");

  Phase2 result;
  const Clock::time_point start = Clock::now();
  ExternalProcess renderer = LaunchRenderer(run, 2);
  PreviewLayout layout;
  layout.title = "TORVAmeter benchmark running... (real size " + run.bench.phase2_size + ")";
  layout.window_width = layout.picture_width = 480;
  layout.window_height = layout.picture_height = 640;
  layout.caption_x = 180;
  layout.caption_y = 616;
  PreviewWindow preview(desktop, layout, run.InBenchDir(run.bench.system_image));
  auto on_line = [&](const std::string& line) {
    if (std::optional<SamplingLevelLine> reading = ReadSamplingLevelLine(line)) {
      result.sl = reading->sampling_level;
      run.Report(reading->panel_text);
      preview.Refresh("Current SL = " + FormatFixed(reading->sampling_level, 2));
      run.record.sampling_levels.push_back({SecondsSince(start), reading->sampling_level});
    }
    return RunAction::kGoOn;
  };
  // The minute cannot be interrupted: a close request waits for its end.
  auto on_event = [&](const Event& event) {
    if (event.type == EventType::kCloseWindow && event.window == kMainWindow)
      run.close_requested = true;
    return RunAction::kGoOn;
  };
  WatchOptions watch;
  watch.time_limit_ms = time_limit_ms;
  const RunEnd end = WatchRun(renderer, desktop, on_event, on_line, watch);
  result.timed_out = end == RunEnd::kTimedOut;
  result.start_error = renderer.StartError();
  return result;
}

// DeltaSL from the SL the minute reached, against the farm's.
std::optional<Stop> MeasureDeltaSL(Run& run, const BenchmarkOptions& options) {
  const Phase2 phase2 = RunPhase2(run, options.phase2_limit_ms);
  if (phase2.timed_out) {
    return Stop{"one-minute render timed out",
                "The one minute render did not end and has been stopped, so DeltaSL could not "
                "be measured."};
  }
  if (!phase2.sl) {
    return Stop{"no SL reading",
                "Maxwell Render gave no sampling level during the one minute render, so "
                "DeltaSL could not be measured.",
                StartFailureText("Maxwell Render", phase2.start_error)};
  }
  float delta_sl = run.bench.farm_sl - *phase2.sl;
  if (!std::isfinite(delta_sl)) {
    return Stop{"no usable SL reading",
                "Maxwell Render gave no usable sampling level in the one minute render, so "
                "DeltaSL could not be measured."};
  }
  // A machine faster than the farm's pool gives a negative difference, a
  // result like any other. Only one the log would show as 0.00 cannot be
  // kept as it is: 0 reads back as "not run". It becomes the smallest
  // difference of its sign, and the record keeps the measured one.
  if (FormatFixed(std::fabs(delta_sl), 2) == "0.00") {
    run.record.measured_delta_sl = delta_sl;
    delta_sl = std::signbit(delta_sl) ? -0.01f : 0.01f;
  }
  run.delta_sl = delta_sl;
  run.DeltaResult() = delta_sl;
  return std::nullopt;
}

// The log's last lines, and the new log in place of the earlier one.
std::optional<Stop> CommitLog(Run& run) {
  run.log.Write(DeltaSLLine(run.delta_sl));
  run.log.Write(EquivalentSLLine(run.delta_sl));
  if (!run.log.Commit())
    return Stop{"log not written", "The benchmark log " + run.log_path + " cannot be written."};
  run.outcome.log = run.log_path;
  run.record.delta_sl = run.delta_sl;
  run.record.outcome = "finished";
  return std::nullopt;
}

// The closing lines of a run that measured both results.
void ReportClosingLines(Run& run, float delta_sl) {
  run.Report("");
  run.Report(DeltaSLLine(delta_sl));
  run.Report("");
  run.Report(EquivalentSLLine(delta_sl));
  run.Report("");
  run.Report("TORVAmeter Benchmark finished!");
  run.Report("");
  run.Report("Results have been written in:");
  run.Report("   \"" + FileNameOf(run.log_path) + "\" ('/benchmark/' subfolder).");
  if (!run.record.settled_from) {
    run.Report("");
    run.Report(
        "PHASE 1 ended before its estimates had settled: a longer PHASE 1 gives a more "
        "reliable speed ratio.");
  }
}

// A run that ends without both results leaves the earlier log as it was, and
// the results in memory as that log says ("not run" without one).
void KeepEarlierResults(Run& run) {
  run.log.Discard();
  const std::optional<BenchmarkResults> earlier = ReadBenchmarkLog(run.log_path);
  run.RatioResult() = earlier ? earlier->speed_ratio : 0;
  run.DeltaResult() = earlier ? earlier->delta_sl : 0;
}

// The same, and says why (unless the user chose to quit).
void EndWithoutResults(Run& run, const Stop& stop) {
  KeepEarlierResults(run);
  run.record.outcome = stop.outcome;
  if (stop.why.empty()) {
    run.outcome.ending = Outcome::Ending::kQuit;
    return;
  }
  run.Report("");
  run.Report(stop.why);
  if (!stop.detail.empty()) run.Report(stop.detail);
  run.Report("The benchmark has been stopped: run it again to get its results.");
  run.Fail(stop.why + DetailLine(stop.detail) +
           "\nThe benchmark has been stopped: run it again to get its results.");
}

// Beside the log: the record and the chart of the estimates, under names of
// their own when the run did not finish. Failures to write them are not
// reported: nothing depends on them.
std::optional<Picture> SaveRecordAndPlot(Run& run, bool finished) {
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

// This system's one-minute picture beside the farm's, until closed.
void ShowResult(Run& run, std::optional<Picture> plot) {
  ResultPictures result;
  result.title = run.Gpu() ? "TORVAmeter GPU benchmark result - 1 min. render (real size " +
                                 run.bench.phase2_size + ")"
                           : "TORVAmeter benchmark result - 1 minute render (real size " +
                                 run.bench.phase2_size + ")";
  result.system_path = run.InBenchDir(run.bench.system_image);
  result.farm_path = run.InBenchDir(run.bench.farm_image);
  result.system_caption =
      "Your system (1 mn render - SL = " + FormatFixed(run.bench.farm_sl - run.delta_sl, 2) + ")";
  result.farm_caption = "The TORVA (1 mn render - SL = " + FormatFixed(run.bench.farm_sl, 2) + ")";
  result.estimate_plot = std::move(plot);
  ShowResultWindow(run.program.desktop, result);
}

// The steps of one run once its checks have passed: kGoOn once the result
// was shown, kGiveUp when it ended before.
Next RunSteps(Run& run, const BenchmarkOptions& options) {
  Program& program = run.program;
  if (!CreateLog(run)) return {Next::kGiveUp};
  ReportBanner(run, options);
  // The renderer's MXI (some 200 MB) serves no purpose once the run is over.
  const WorkFile mxi(BenchmarkMxiPath(run.bench.generation, program.paths.BenchDir));
  SceneCopy scene(run);
  if (scene.failure()) {
    run.Fail("The benchmark scene cannot be copied into " + program.paths.BenchDir + ": " +
             scene.failure().message() + ".\nThe benchmark has not been run.");
    return {Next::kGiveUp};
  }
  run.Report("Estimating the time needed to reach SL=20 at " + run.bench.phase1_size + "...");
  run.Report("");

  std::optional<Stop> stop = MeasureRatio(run, options);
  if (!stop) stop = MeasureDeltaSL(run, options);
  if (!stop) stop = CommitLog(run);
  if (stop) {
    EndWithoutResults(run, *stop);
    SaveRecordAndPlot(run, false);
    return {Next::kGiveUp};
  }
  // The run is complete: a close request kept during the minute may now end it.
  if (run.close_requested && ConfirmQuit(program, "the benchmark")) {
    SaveRecordAndPlot(run, true);
    run.outcome.ending = Outcome::Ending::kQuit;
    return {Next::kGiveUp};
  }
  ReportClosingLines(run, run.delta_sl);
  scene.Remove();
  ShowResult(run, SaveRecordAndPlot(run, true));
  return {};
}

// One run, from its checks to its result window.
Next RunOnce(Program& program, RenderMode mode, const BenchmarkOptions& options,
             BenchmarkOutcome& outcome) {
  if (const Next ready = ReadyToRun(program, mode, outcome); ready.kind != Next::kGoOn)
    return ready;
  ButtonsDisabled greyed(program.desktop, kBenchmark);  // the stop button stays usable
  Run run(program, mode);
  const Next next = RunSteps(run, options);
  outcome = std::move(run.outcome);
  return next;
}

}  // namespace

BenchmarkOutcome RunBenchmark(Program& program, const BenchmarkOptions& options) {
  const bool cpu = !program.state.GpuCapable ||
                   program.desktop.Question("TORVAmeter Benchmark",
                                            "Do you want to run the CPU benchmark?\nIf you "
                                            "answer 'No', the GPU benchmark will be run.");
  return RunBenchmarkWithMode(program, cpu ? RenderMode::kCpu : RenderMode::kGpu, options);
}

// The outcome is the first run's: the one asked for.
BenchmarkOutcome RunBenchmarkWithMode(Program& program, RenderMode bench_mode,
                                      const BenchmarkOptions& options) {
  BenchmarkOutcome first;
  for (RenderMode mode = bench_mode;; mode = RenderMode::kGpu) {
    program.state.BenchMode = mode;
    BenchmarkOutcome outcome;
    const Next run = RunOnce(program, mode, options, outcome);
    if (mode == bench_mode) first = std::move(outcome);
    if (run.kind == Next::kEndProgram) EndProgramAfter(program.desktop, run);
    // At the end the GPU log is read back (so the GPU results are what it
    // shows), or, when it is missing, the GPU benchmark is offered.
    if (run.kind == Next::kGiveUp || !program.state.GpuCapable ||
        !LoadResultsOrOfferBenchmark(program, RenderMode::kGpu))
      return first;
  }
}

}  // namespace torva
