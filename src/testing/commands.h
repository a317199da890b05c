// For tests: running the project's own tools and programs as a user would.
#pragma once

#include <string>
#include <vector>

namespace torva {

// A renderer probe limit for tests: on a starved machine the substitute
// renderer may need far more than the shipped 20 s just to start.
constexpr int kPatientProbeLimitMs = 600000;

// The source and build folders of this checkout.
std::string SourceDir();
std::string BuildDir();

// The words of `text` split at blanks, for test command lines that hold no
// argument with a blank of its own.
std::vector<std::string> Words(const std::string& text);

// `text` as one word for /bin/sh.
std::string ShellQuote(const std::string& text);

struct CommandOutcome {
  int status = -1;     // the exit status, -1 when killed by a signal
  std::string output;  // standard output
  // True when `line` stands in the output as a whole line.
  bool Has(const std::string& line) const;
};

// Runs `command` through /bin/sh and collects its standard output.
CommandOutcome RunCommand(const std::string& command);

// Makes a substitute Maxwell Render installation in `dir` with the options of
// tools/sim-maxwell/make-installation (for example "--version 4.2.0.3 --speed 60").
// Returns false when the tool failed.
bool MakeSubstituteInstallation(const std::string& dir, const std::string& options = "");

// Writes the benchmark scenes and the farm's pictures into `dir`, as
// tools/sim-maxwell/make-benchmark-files does for an installed benchmark folder.
bool MakeBenchmarkFiles(const std::string& dir);

// Runs build/src/torvameter-scripted on `app_dir` with `answers` as its answer
// file (written beside the application folder) and any `extra` arguments
// (already quoted); the output is the transcript. The renderer probe may take
// ten minutes, so that a starved machine does not read as a hung renderer;
// `extra` may set another limit.
CommandOutcome RunScriptedProgram(const std::string& app_dir, const std::string& answers,
                                  const std::string& extra = "");

}  // namespace torva
