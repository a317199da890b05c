// The steps of an estimation over one shared struct, in the order the
// command runs them; each step that may end the command says whether to go on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "estimate/estimation_record.h"
#include "estimate/estimation_run.h"
#include "estimate/preview_size.h"
#include "platform/line_log.h"
#include "state/command_run.h"
#include "state/next.h"
#include "state/program.h"
#include "watch/watched_render.h"

namespace torva {

// What the run knows about its project once the questions are answered.
struct Project {
  RenderMode mode = RenderMode::kCpu;
  std::string vum_path;
  int width = 0, height = 0;
  std::string resolution;
  int target_sl = 0;
  std::string sl_answer;
  std::string scene_file;  // found once the archive is unpacked
  std::string scene_base;
};

struct Estimation : CommandRun<EstimationOutcome, ReplacingLog> {
  Estimation(Program& program_, const EstimationOptions& options_)
      : CommandRun(program_), options(options_) {}

  const EstimationOptions& options;
  Project project;
  std::string log_name, log_path;
  WatchedRender render;
  EstimationRecord record;
  // The run gave the project's verdict (a price, or an MXI too big): its log
  // takes the earlier one's place. A run without one writes its log there
  // only when there is no earlier log to keep, else beside it.
  bool has_verdict = false;
  bool keep_earlier_log = false;
};

// The renderer, the kind of render, the benchmark it needs. It probes the
// renderer, whose findings the program keeps: it is handed the program.
Next CheckReady(Program& program, Estimation& run);
// The archive, the resolution and the sampling level; gives up when cancelled.
Next ChooseProject(Estimation& run);
// The log named after the project, with its opening lines.
void OpenLog(Estimation& run);
// The archive unpacked into the work folder and its scene found; on failure
// the user is told and the work folder is gone. When the user chose to quit
// meanwhile, the run is discarded.
Next UnpackProject(Estimation& run);
// The render, watched in the preview until it ends or the user stops it;
// gives up when the user chose to quit meanwhile.
Next RenderProject(Estimation& run);
// The user chose to quit: nothing half-written stays behind.
void DiscardRun(Estimation& run);
// Whether the render ended well, the MXI file's verdict and, when it passes,
// the price with its range; then the log, the record and the chart put in
// place of the earlier ones when the run gave a verdict (else the earlier
// ones stay, and this run's go under names of their own), and the work
// folder removed.
void Evaluate(Estimation& run);
void KeepTheRecord(Estimation& run);
// The record's description of the run, also in the outcome.
void FillRecord(Estimation& run);
void CleanUp(Estimation& run);

}  // namespace torva
