#include <chrono>
#include <filesystem>
#include <optional>

#include "desktop/titles.h"
#include "platform/own_folder.h"
#include "prepare/archive_lines.h"
#include "prepare/preparation_steps.h"
#include "renderer/archiver.h"
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

struct Archiving {
  bool quit = false;  // the user chose to quit meanwhile; the archiver was ended
  int exit_code = -1;
  int start_error = 0;  // why the archiver could not be started, or 0
};

// Runs the archiver from the project folder. The bar follows the archiver's
// own percentage, so a long packing visibly moves.
Archiving Pack(Preparation& preparation, const std::vector<std::string>& arguments,
               bool show_progress) {
  int shown = -1;
  ArchiverWatch watch;
  watch.progress_lines = show_progress;
  watch.on_line = [&](const std::string& text) {
    const int percent = show_progress ? ArchiverPercent(text) : -1;
    const int value = percent < 0 ? shown : percent * (kProgressEnd - 1) / 100;
    if (value > shown) preparation.desktop.SetProgress(shown = value);
  };
  WindowEvents events(preparation.desktop,
                      [&](const Event& event) { return QuitRule(preparation, event); });
  const ArchiverRun run = RunArchiver(preparation.runner, events, preparation.paths.archiver,
                                      arguments, preparation.paths.TempDir, watch);
  return {run.end == RunEnd::kCloseRequested, run.exit_code, run.start_error};
}

// The archive is packed in a folder of its own beside the earlier archive and
// renamed over it only once it is complete, so a failed or killed packing
// never costs the user the archive they had. A folder left by a killed run is
// removed first: the archiver would add to an archive it found there.
bool MakePackingFolder(const std::string& folder) {
  std::error_code ec;
  fs::remove_all(folder, ec);  // never follows a link
  return fs::create_directory(folder, ec) && !ec;
}

std::string ArchiverFailed(const std::string& while_doing, const Archiving& run) {
  return "7za failed while " + while_doing + " (exit status " + std::to_string(run.exit_code) +
         ")." + DetailLine(StartFailureText("7za", run.start_error)) +
         "\nNo archive has been written; an earlier archive of this scene is kept as it "
         "was.";
}

// The logs that are there: the archiver would fail on a missing one.
std::vector<std::string> ExistingLogs(const std::vector<std::string>& logs) {
  std::vector<std::string> existing;
  for (const std::string& log : logs) {
    if (FileBytes(log) >= 0) existing.push_back(log);
  }
  return existing;
}

// The half-packed archive goes with its folder; the caller gives up the rest.
Next GiveUpPacking(const std::string& packing_folder) {
  std::error_code ec;
  fs::remove_all(packing_folder, ec);
  return Next::GiveUp();
}

// `detail` says what failed. Nothing gathered means nothing was compressed:
// the message then says so rather than blame the compression.
void ReportFailure(Preparation& preparation, const std::string& detail) {
  const AppPaths& paths = preparation.paths;
  const bool gathered = preparation.Gathered();
  preparation.ReportAndLog({gathered ? "An error occurred during the compression:"
                                     : "The scene's files could not be gathered:",
                            "   the project HAS NOT BEEN prepared sucessfully!", ""});
  preparation.log.Close();
  const std::string error_log = paths.AppDir + "/ERROR_TORVAmeter.log";
  std::error_code ec;
  if (FileBytes(error_log) > 0) fs::remove(error_log, ec);
  fs::rename(paths.project_log, error_log, ec);
  if (!gathered) {
    preparation.Fail(
        kErrorTitle,
        (preparation.renderer_crashed
             ? "Maxwell Render has crashed while gathering the scene's files: nothing has been "
               "compressed."
             : "Maxwell Render gathered no file of the scene: nothing has been compressed.") +
            DetailLine(StartFailureText("Maxwell Render", preparation.renderer_start_error)));
    return;
  }
  preparation.Fail(kErrorTitle, "An error occurred during the compression!" +
                                    (detail.empty() ? "" : "\n" + detail));
}

// One packing: where the archive goes, how it went.
struct Packing {
  Packing(const AppPaths& paths, const std::string& scene_name)
      : archive_path(paths.ArchiveDir + "/" + scene_name + ".vum"),
        packing_folder(paths.ArchiveDir + "/." + scene_name + ".vum.packing"),
        packing_path(packing_folder + "/" + scene_name + ".vum") {}

  const std::string archive_path, packing_folder, packing_path;
  Compression compression = Compression::kMaximum;
  std::string packed;   // the archive where the archiver wrote it
  std::string failure;  // what went wrong, below the compression's error line
  long long elapsed_ms = 0;
  std::string packed_in, decreased;  // the report's lines
};

// Packs the gathered files; false when the user dismissed the compression
// question or chose to quit meanwhile.
bool Compress(Preparation& preparation, Packing& packing) {
  // Its No packs too: dismissed, the box packs nothing.
  const std::optional<bool> maximum = preparation.desktop.QuestionOrCancel(
      QuestionId::kCompression, "Compression level", "Maximum compression? (if No, maximum speed)");
  if (!maximum) return false;
  packing.compression = *maximum ? Compression::kMaximum : Compression::kFastest;
  preparation.Report("All files gathered, TORVAmeter is compressing the project...");
  preparation.log.Write("All files have been gathered, TORVAmeter is compressing the project...");
  const long long start_ms = NowMs();
  if (MakePackingFolder(packing.packing_folder)) {
    const Archiving run =
        Pack(preparation, PackArguments(packing.compression, packing.packing_path), true);
    if (run.quit) return false;
    // The fastest packing went through the ".zip" name, which selects the format.
    if (run.exit_code == 0) {
      packing.packed = packing.compression == Compression::kMaximum ? packing.packing_path
                                                                    : packing.packing_path + ".zip";
    } else {
      packing.failure = ArchiverFailed("compressing the project", run);
    }
  } else {
    packing.failure = "The archive cannot be written in " + preparation.paths.ArchiveDir +
                      ".\nAn earlier archive of this scene is kept as it was.";
  }
  packing.elapsed_ms = NowMs() - start_ms;
  preparation.desktop.SetProgress(kProgressEnd);
  return true;
}

// The report goes into the project log before the log is packed; the panel
// shows it once the archive stands in its place.
void LogTheReport(Preparation& preparation, Packing& packing) {
  packing.packed_in = PackedInLine(packing.elapsed_ms);
  packing.decreased = "Compression has decreased the project size by " +
                      ReductionPercent(FileBytes(packing.packed), preparation.project_size) +
                      "% (" + FileSizeMB(packing.packed) + ").";
  for (const std::string& line :
       {packing.packed_in, packing.decreased, std::string(),
        "The project has been prepared in " + preparation.paths.ArchiveDir + ".", std::string(),
        std::string("Your project is now ready to render!")})
    preparation.log.Write(line);
  preparation.log.Close();
}

// The logs go in under their bare names, then the archive replaces the
// earlier one. nullopt when the user chose to quit meanwhile.
std::optional<bool> AddLogsAndPlace(Preparation& preparation, Packing& packing) {
  const std::vector<std::string> logs =
      ExistingLogs({preparation.paths.project_log, preparation.paths.BenchmarkLog});
  Archiving run{.exit_code = 0};
  if (!logs.empty()) {
    run =
        Pack(preparation, AddLogsArguments(packing.compression, packing.packing_path, logs), false);
  }
  if (run.quit) return std::nullopt;
  if (run.exit_code != 0) {
    packing.failure = ArchiverFailed("adding the logs to the archive", run);
    return false;
  }
  std::error_code ec;
  if (fs::rename(packing.packed, packing.archive_path, ec); ec) {
    packing.failure = "The archive cannot be written as " + packing.archive_path +
                      ".\nAn earlier archive of this scene is kept as it was.";
    return false;
  }
  return true;
}

void ReportPrepared(Preparation& preparation, const Packing& packing) {
  preparation.ReportLines({packing.packed_in, packing.decreased, "",
                           "Project prepared in " + preparation.paths.ArchiveDir + "."});
  preparation.desktop.Open(preparation.paths.ArchiveDir);
  preparation.ReportLines({"", "Your project is now ready to render!", ""});
  std::error_code ec;
  fs::remove(preparation.paths.project_log, ec);
}

}  // namespace

void RemovePackingLeftovers(const AppPaths& paths) {
  std::error_code ec;
  for (fs::directory_iterator it(paths.ArchiveDir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.starts_with(".") && name.ends_with(".vum.packing"))
      fs::remove_all(it->path(), ec);  // never follows a link
  }
}

Next PackProject(Preparation& preparation) {
  Packing packing(preparation.paths, preparation.scene_name);
  const bool archiver_missing = FileBytes(preparation.paths.archiver) <= 0;
  if (archiver_missing) {
    preparation.desktop.Message(kErrorTitle,
                                "7za has not been found in the TORVAmeter directory!\nYou will "
                                "have to compress the files in " +
                                    ProjectFolder(preparation.paths) + " manually.");

  } else if (preparation.Gathered() && !Compress(preparation, packing)) {
    return GiveUpPacking(packing.packing_folder);
  }
  preparation.ReportAndLog({""});

  bool prepared = !packing.packed.empty() && FileBytes(packing.packed) > 0;
  if (prepared) {
    LogTheReport(preparation, packing);
    const std::optional<bool> placed = AddLogsAndPlace(preparation, packing);
    if (!placed) return GiveUpPacking(packing.packing_folder);
    prepared = *placed;
    if (prepared) {
      ReportPrepared(preparation, packing);
      preparation.outcome.archive = packing.archive_path;
      preparation.outcome.archive_bytes =
          static_cast<std::uintmax_t>(FileBytes(packing.archive_path));
      preparation.outcome.fastest = packing.compression == Compression::kFastest;
    } else {
      preparation.log.Reopen();
    }
  }
  if (!prepared) ReportFailure(preparation, packing.failure);

  std::error_code ec;
  fs::remove_all(packing.packing_folder, ec);
  if (!archiver_missing) RemoveOwnFolder(ProjectFolder(preparation.paths));
  return Next::GoOn();
}

}  // namespace torva
