#include "headless/headless_run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/startup.h"
#include "benchmark/benchmark_results.h"
#include "headless/command_runs.h"
#include "platform/folder_lock.h"
#include "platform/folders.h"
#include "platform/interrupts.h"
#include "platform/standard_streams.h"
#include "state/config/settings.h"
#include "state/renderer_check.h"
#include "text/json.h"
#include "text/whole_file.h"

namespace torva {
namespace {

// Loads the settings, checks the renderer and loads the benchmark results, as
// the window's start-up does, but asks nothing and changes no file: a log of
// another renderer version counts as no benchmark. Returns the failure, if any.
std::string LoadState(Program& program, TerminalDesktop& desktop, const std::string& name) {
  desktop.AddReply({.question = QuestionId::kCheckUpdates,
                    .failure = "the settings do not say whether to look for updates: run \"" +
                               name + " setup\" with --updates yes|no"});
  if (!LoadConfiguration(program)) {
    return "no settings in " + program.paths.AppDir + ": run \"" + name +
           " setup --maxwell DIR\" first";
  }
  const RendererCheck check = CheckRenderer(program);
  if (check == RendererCheck::kInstallationGone) return GiveUpOnInstallation(program).reason;
  if (check == RendererCheck::kTooOld)
    return ReportRendererTooOld(program, *program.renderer_probe);
  LoadResultsOfThisRenderer(program);
  return "";
}

HeadlessOutcome Dispatch(const HeadlessCommand& command, Program& program, TerminalDesktop& desktop,
                         const std::string& name) {
  if (command.kind == HeadlessKind::kSetup) return RunSetup(command, program, name);
  if (const std::string failure = LoadState(program, desktop, name); !failure.empty())
    return HeadlessOutcome::Failed(failure);
  if (command.gpu && !program.state.GpuCapable) {
    return HeadlessOutcome::Failed("Maxwell Render " + program.state.RendererVersion +
                                   " cannot render on the GPU");
  }
  switch (command.kind) {
    case HeadlessKind::kBenchmark: return RunHeadlessBenchmark(command, program, desktop);
    case HeadlessKind::kPrepare: return RunHeadlessPrepare(command, program, desktop);
    case HeadlessKind::kEstimate: return RunHeadlessEstimate(command, program, desktop);
    case HeadlessKind::kSetup: break;
  }
  return {};
}

// What a command stopped by a signal left: the earlier files, and where
// this run's unfinished record went.
std::string WhatAStopLeft(HeadlessKind kind, const HeadlessOutcome& outcome) {
  switch (kind) {
    case HeadlessKind::kSetup: return "The settings are as they were.";
    case HeadlessKind::kPrepare: return "The earlier archive was kept.";
    case HeadlessKind::kBenchmark:
    case HeadlessKind::kEstimate: break;
  }
  std::string left = "The earlier log, record and chart were kept";
  const JsonValue* record = outcome.json ? outcome.json->Find("record") : nullptr;
  if (record && record->type == JsonValue::Type::kString && !record->text.empty())
    left += "; this run's record is " + record->text;
  return left + ".";
}

std::string OnOneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

}  // namespace

std::string FailureOf(const Outcome& outcome, const TerminalDesktop& desktop) {
  switch (outcome.ending) {
    case Outcome::Ending::kFinished: return "";
    case Outcome::Ending::kFailed: return OnOneLine(outcome.message);
    case Outcome::Ending::kQuit: return "interrupted";
    case Outcome::Ending::kEndProgram:
      return !desktop.failures().empty() ? desktop.failures().front()
             : !outcome.reason.empty()   ? outcome.reason
             : outcome.message.empty()   ? "TORVAmeter ended"
                                         : OnOneLine(outcome.message);
    case Outcome::Ending::kCancelled: break;
  }
  return desktop.failures().empty() ? "cancelled" : desktop.failures().front();
}

JsonValue RecordWithPaths(JsonValue record,
                          const std::vector<std::pair<std::string, std::string>>& paths) {
  for (const auto& [key, path] : paths) {
    if (!path.empty()) record.Add(key, path);
  }
  return record;
}

Reply QuitOnInterrupt() {
  return {.question = QuestionId::kStopAndQuit, .answer = "yes", .failure = "interrupted"};
}

namespace {

// The command, with the application folder held for it alone (one program
// per folder, as for the window) and laid out first.
HeadlessOutcome RunInAppFolder(const HeadlessCommand& command, Program& program,
                               TerminalDesktop& desktop, const std::string& program_name,
                               const std::function<void(const std::string&)>& lay_out) {
  HeadlessOutcome outcome;
  const AppFolderLock lock = LockAppFolder(program.paths.AppDir);
  if (!lock.refusal.empty()) {
    outcome.failure = lock.refusal;
    return outcome;
  }
  if (lay_out) lay_out(program.paths.AppDir);
  MakeFolderIfMissing(program.paths.ArchiveDir);
  try {
    outcome = Dispatch(command, program, desktop, program_name);
  } catch (const HeadlessStuck& stuck) {
    outcome.failure = stuck.message;
  }
  if (outcome.failure.empty() && InterruptSignal() != 0) outcome.failure = "interrupted";
  return outcome;
}

}  // namespace

int RunHeadless(const CommandLine& line, const std::string& app_dir,
                const std::string& program_name, OptionSet options,
                const std::function<void(const std::string&)>& lay_out) {
  const std::string name = program_name + " " + CommandWord(*line.command);
  const HeadlessCommand command = ParseHeadlessCommand(*line.command, line.command_args);
  auto usage_error = [&](const std::string& error) {
    std::fprintf(stderr, "%s: %s\n%sTry '%s --help' for more.\n", name.c_str(), error.c_str(),
                 UsageLines(options).c_str(), program_name.c_str());
    return kUsageExitStatus;
  };
  if (!command.error.empty()) return usage_error(command.error);
  const ClosedStreams closed = ReserveStandardStreams();
  if (command.json && closed.output) {
    std::fprintf(stderr,
                 "%s: standard output is closed, so the --json result could not be "
                 "written\n",
                 name.c_str());
    return 1;
  }

  StatusOutput output(stderr, IsTerminal(stderr), TerminalWidth(stderr));
  TerminalDesktop desktop(output);
  Program program(desktop, app_dir);
  if (!line.probe_limit.empty() && !SetProbeLimit(line.probe_limit, program))
    return usage_error(ProbeLimitError());
  program.reuse_renderer_probe = true;
  // A closed terminal stops the run as Ctrl-C does; a reader that went away
  // is a failed write, which the output notices, not a sudden death that
  // would leave the renderer and the work files behind.
  if (!CatchInterrupts()) output.Note(UncaughtInterruptsWarning(errno));

  HeadlessOutcome outcome = RunInAppFolder(command, program, desktop, program_name, lay_out);
  if (!outcome.summary.empty()) output.Note(outcome.summary);
  if (InterruptSignal() != 0) output.Note(WhatAStopLeft(command.kind, outcome));
  output.Finish();
  if (command.json && outcome.json) {
    errno = 0;
    if (std::fprintf(stdout, "%s\n", JsonLine(*outcome.json).c_str()) < 0 ||
        std::fflush(stdout) != 0) {
      const std::string reason = errno ? std::strerror(errno) : "write error";
      if (outcome.failure.empty())
        outcome.failure = "the --json result could not be written (" + reason + ")";
    }
  }
  // After a clean stop, the status a shell expects of a program the signal ended.
  if (const int signal = InterruptSignal()) {
    std::fprintf(stderr, "%s: stopped by %s\n", name.c_str(), InterruptName(signal));
    return 128 + signal;
  }
  if (output.lost() && outcome.failure.empty())
    outcome.failure =
        "the progress could not be written to standard error, or the reader of the output went "
        "away";
  if (outcome.failure.empty()) return 0;
  std::fprintf(stderr, "%s: %s\n", name.c_str(), outcome.failure.c_str());
  return 1;
}

}  // namespace torva
