// torvameter-scripted --app-dir DIR --answers FILE [--update-host HOST[:PORT]]
//                     [--probe-limit SECONDS]
// The program with answers read from FILE and a transcript on standard output.
#include <cstdio>
#include <string>

#include "app/startup.h"
#include "desktop/scripted/scripted_desktop.h"
#include "platform/folders.h"
#include "update/update_check.h"

namespace {

int Usage(const char* message) {
  std::fprintf(stderr, "torvameter-scripted: %s\n", message);
  std::fprintf(stderr,
               "usage: torvameter-scripted --app-dir DIR --answers FILE "
               "[--update-host HOST[:PORT]] [--probe-limit SECONDS]\n");
  return 4;
}

}  // namespace

int main(int argc, char** argv) {
  std::string app_dir, answers_path, update_host, probe_limit;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) return Usage(("missing value after " + arg).c_str());
    std::string value = argv[++i];
    if (arg == "--app-dir")
      app_dir = value;
    else if (arg == "--answers")
      answers_path = value;
    else if (arg == "--update-host")
      update_host = value;
    else if (arg == "--probe-limit")
      probe_limit = value;
    else
      return Usage(("unknown option " + arg).c_str());
  }
  if (app_dir.empty() || answers_path.empty()) return Usage("--app-dir and --answers are required");
  // Paths built from the folder must not depend on the working folder.
  app_dir = torva::AbsolutePath(app_dir);

  auto content = torva::ReadWholeFile(answers_path);
  if (!content) return Usage(("cannot read " + answers_path).c_str());
  torva::AnswerFile answers = torva::ParseAnswers(*content);
  if (!answers.error.empty()) return Usage(("malformed answer file: " + answers.error).c_str());

  torva::ScriptedDesktop desktop(std::move(answers.answers), stdout);
  torva::Program program(desktop, app_dir);
  if (!update_host.empty() && !torva::PointUpdatesAt(update_host, program.update_servers))
    return Usage(torva::kBadUpdateHost);
  if (!probe_limit.empty() && !torva::SetProbeLimit(probe_limit, program))
    return Usage(torva::ProbeLimitError().c_str());

  int status;
  try {
    status = torva::RunProgram(program);
  } catch (const torva::ScriptStuck&) {
    status = 3;
  }
  desktop.Finish(status);
  return status;
}
