#include "testing/commands.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "testing/files.h"

namespace torva {

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::string SourceDir() { return TM_SOURCE_DIR; }
std::string BuildDir() { return TM_BUILD_DIR; }

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool CommandOutcome::Has(const std::string& line) const {
  return output.starts_with(line + "\n") || output.find("\n" + line + "\n") != std::string::npos;
}

CommandOutcome RunCommand(const std::string& command) {
  CommandOutcome run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> chunk;
  for (std::size_t n; (n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0;) {
    run.output.append(chunk.data(), n);
  }
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

bool MakeSubstituteInstallation(const std::string& dir, const std::string& options) {
  const std::string command = ShellQuote(SourceDir() + "/tools/sim-maxwell/make-installation") +
                              " " + ShellQuote(dir) + " " + options + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

bool MakeBenchmarkFiles(const std::string& dir) {
  const std::string command = ShellQuote(SourceDir() + "/tools/sim-maxwell/make-benchmark-files") +
                              " " + ShellQuote(dir) + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

CommandOutcome RunScriptedProgram(const std::string& app_dir, const std::string& answers,
                                  const std::string& extra) {
  const std::string answers_path = app_dir + ".answers.txt";
  WriteFile(answers_path, answers);
  return RunCommand(ShellQuote(BuildDir() + "/src/torvameter-scripted") + " --app-dir " +
                    ShellQuote(app_dir) + " --answers " + ShellQuote(answers_path) +
                    " --probe-limit " + std::to_string(kPatientProbeLimitMs / 1000) + " " + extra +
                    " 2>/dev/null");
}

}  // namespace torva
