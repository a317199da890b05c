#include <chrono>
#include <filesystem>

#include "prepare/archive_lines.h"
#include "prepare/preparation.h"
#include "renderer/process.h"
#include "text/file_size.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

constexpr int kProgressEnd = 60;

long long FileBytes(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return -1;
  const auto bytes = fs::file_size(path, ec);
  return ec ? -1 : static_cast<long long>(bytes);
}

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Runs the archiver from the project folder. The bar follows the archiver's
// own percentage, so a long packing visibly moves.
void RunArchiver(Program& program, const std::string& archiver,
                 const std::vector<std::string>& arguments, bool show_progress) {
  ExternalProcess run =
      ExternalProcess::Launch(archiver, arguments, program.paths.TempDir);
  if (show_progress) run.EndLinesAtBackspaces();
  int shown = -1;
  WatchRun(
      run, program.desktop, [](const Event&) { return RunAction::kGoOn; },
      [&](const std::string& text) {
        const int percent = show_progress ? ArchiverPercent(text) : -1;
        const int value = percent < 0 ? shown : percent * (kProgressEnd - 1) / 100;
        if (value > shown) program.desktop.SetProgress(shown = value);
        return RunAction::kGoOn;
      },
      WatchOptions{.pause = false});
}

void ReportSuccess(Program& program, Preparation& preparation, const std::string& archive_path,
                   long long elapsed_ms) {
  const std::string archive_folder = program.paths.AppDir + "/archive";
  ReportAndLog(program, preparation, PackedInLine(elapsed_ms));
  ReportAndLog(program, preparation,
               "Compression has decreased the project size by " +
                   ReductionPercent(FileBytes(archive_path), preparation.project_size) +
                   "% (" + FileSizeMB(archive_path) + ").");
  ReportAndLog(program, preparation, "");
  ReportLine(program, "Project prepared in " + archive_folder + ".");
  preparation.log.Write("The project has been prepared in " + archive_folder + ".");
  program.desktop.Open(archive_folder);
  ReportAndLog(program, preparation, "");
  ReportLine(program, "Your project is now ready to render!");
  ReportLine(program, "");
  preparation.log.Write("Your project is now ready to render!");
}

void ReportFailure(Program& program, Preparation& preparation) {
  ReportAndLog(program, preparation, "An error occurred during the compression:");
  ReportAndLog(program, preparation, "   the project HAS NOT BEEN prepared sucessfully!");
  ReportAndLog(program, preparation, "");
  preparation.log.Close();
  const std::string error_log = program.paths.AppDir + "/ERROR_TORVAmeter.log";
  std::error_code ec;
  if (FileBytes(error_log) > 0) fs::remove(error_log, ec);
  fs::rename(program.paths.AppDir + "/TORVAmeter_Maxwell.log", error_log, ec);
  program.desktop.Message("TORVAmeter error", "An error occurred during the compression!");
}

}  // namespace

void PackProject(Program& program, Preparation& preparation) {
  const AppPaths& paths = program.paths;
  const std::string archive_path = paths.AppDir + "/archive/" + preparation.scene_name + ".vum";
  const std::string zip_path = archive_path + ".zip";
  const std::string archiver = paths.AppDir + "/7za";
  const std::string project_log = paths.AppDir + "/TORVAmeter_Maxwell.log";
  std::error_code ec;
  fs::remove(archive_path, ec);

  const bool archiver_missing = FileBytes(archiver) <= 0;
  Compression compression = Compression::kMaximum;
  long long start_ms = 0, end_ms = 0;
  if (archiver_missing) {
    program.desktop.Message("TORVAmeter error",
                            "7za has not been found in the TORVAmeter directory!\nYou will "
                            "have to compress the files in " +
                                paths.AppDir + "/temp manually.");
  } else if (preparation.dependency_count > 0) {
    compression = program.desktop.Question("Compression level",
                                           "Maximum compression? (if No, maximum speed)")
                      ? Compression::kMaximum
                      : Compression::kFastest;
    ReportLine(program, "All files gathered, TORVAmeter is compressing the project...");
    preparation.log.Write("All files have been gathered, TORVAmeter is compressing the project...");
    start_ms = NowMs();
    RunArchiver(program, archiver, PackArguments(compression, archive_path), true);
    end_ms = NowMs();
    program.desktop.SetProgress(kProgressEnd);
    if (FileBytes(zip_path) > 0) fs::rename(zip_path, archive_path, ec);
  }
  ReportAndLog(program, preparation, "");

  if (FileBytes(archive_path) > 0) {
    ReportSuccess(program, preparation, archive_path, end_ms - start_ms);
    preparation.log.Close();
    // The logs go in under their bare names.
    const auto add_logs =
        AddLogsArguments(compression, archive_path, project_log, paths.BenchmarkLog);
    if (compression == Compression::kMaximum) {
      RunArchiver(program, archiver, add_logs, false);
    } else {
      fs::rename(archive_path, zip_path, ec);
      RunArchiver(program, archiver, add_logs, false);
      fs::rename(zip_path, archive_path, ec);
    }
    fs::remove(project_log, ec);
  } else {
    ReportFailure(program, preparation);
  }

  if (!archiver_missing) fs::remove_all(paths.AppDir + "/temp", ec);
}

}  // namespace torva
