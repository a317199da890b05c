// The archiver's command lines and the texts that report a packing.
#pragma once

#include <string>
#include <vector>

namespace torva {

enum class Compression { kMaximum, kFastest };  // 7z at level 5, or zip at level 1

// Packs every file of the working folder into `archive_path` (".vum"). The
// fastest packing goes through `archive_path` + ".zip", which selects zip.
std::vector<std::string> PackArguments(Compression compression, const std::string& archive_path);
// Adds the logs, stored under their bare names.
std::vector<std::string> AddLogsArguments(Compression compression, const std::string& archive_path,
                                          const std::vector<std::string>& logs);

// "The project has been successfully compressed in 2 seconds." (whole seconds)
std::string PackedInLine(long long elapsed_ms);

// "75.00": how much smaller the archive is than the project, in percent.
// An empty project gives "0.00" rather than a division by zero.
std::string ReductionPercent(long long archive_bytes, long long project_bytes);

// A packing progress percentage read from the archiver's own progress text
// (" 42% 3 + name"), or -1 when the text holds none.
int ArchiverPercent(const std::string& text);

}  // namespace torva
