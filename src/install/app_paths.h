// Where the program's folders and files lie under the application folder,
// and the names it shares with the installed data.
#pragma once

#include <string>

namespace torva {

// The log a preparation writes and packs with the project, by this name in
// the application folder and in the unpacked project.
inline constexpr const char* kProjectLogName = "TORVAmeter_Maxwell.log";

// The help document, in the installed data and in the application folder.
inline constexpr const char* kHelpDocumentName = "TORVAmeter_Maxwell_Mac.pdf";
// The benchmark's scenes and pictures, in the installed data and in the
// application folder.
inline constexpr const char* kBenchmarkFolderName = "benchmark";
// The archiver, on the PATH and in the application folder.
inline constexpr const char* kArchiverName = "7za";

// Folders and files under the application folder: the established names,
// then the program's own.
struct AppPaths {
  std::string AppDir;
  std::string ArchiveDir;
  std::string BenchDir;
  std::string WorkDir;
  std::string EstimateDir;
  std::string TempDir;  // the project folder, with a final "/"
  std::string ConfigFile;
  std::string BenchmarkLog;
  std::string GpuBenchmarkLog;
  std::string UpdateZipPath;
  std::string config_backup;
  std::string cpu_log_backup;
  std::string gpu_log_backup;
  std::string help_document;
  std::string gather_script;
  std::string project_log;
  std::string archiver;  // 7za

  static AppPaths For(const std::string& app_dir) {
    AppPaths p;
    p.AppDir = app_dir;
    p.ArchiveDir = app_dir + "/archive";
    p.BenchDir = app_dir + "/" + kBenchmarkFolderName;
    p.WorkDir = app_dir + "/workdir";
    p.EstimateDir = app_dir + "/estimate";
    p.TempDir = app_dir + "/temp/";
    p.ConfigFile = app_dir + "/TORVAmeter_Maxwell.ini";
    p.config_backup = app_dir + "/TORVAmeter_Maxwell.ini.bak";
    p.BenchmarkLog = p.BenchDir + "/TORVAmeter_Benchmark.log";
    p.GpuBenchmarkLog = p.BenchDir + "/TORVAmeter_BenchmarkGPU.log";
    p.cpu_log_backup = p.BenchDir + "/TORVAmeter_Benchmark.bak";
    p.gpu_log_backup = p.BenchDir + "/TORVAmeter_BenchmarkGPU.bak";
    p.help_document = app_dir + "/" + kHelpDocumentName;
    p.gather_script = app_dir + "/TORVAGather.ms";
    p.project_log = app_dir + "/" + kProjectLogName;
    p.archiver = app_dir + "/" + kArchiverName;
    p.UpdateZipPath = app_dir + "/TORVAmeter_Maxwell_Mac.zip";
    return p;
  }
};

}  // namespace torva
