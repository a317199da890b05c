#include "prepare/archive_lines.h"

#include "text/numbers.h"

namespace torva {

std::vector<std::string> PackArguments(Compression compression, const std::string& archive_path) {
  // -bsp1: the archiver shows its progress in percent on its output.
  if (compression == Compression::kMaximum) return {"a", archive_path, "-mx=5", "-r", "-bsp1"};
  return {"a", archive_path + ".zip", "-mx1", "-r", "-bsp1"};
}

std::vector<std::string> AddLogsArguments(Compression compression, const std::string& archive_path,
                                          const std::vector<std::string>& logs) {
  std::vector<std::string> arguments = {
      "a", compression == Compression::kMaximum ? archive_path : archive_path + ".zip"};
  arguments.insert(arguments.end(), logs.begin(), logs.end());
  arguments.push_back(compression == Compression::kMaximum ? "-mx=5" : "-mx1");
  return arguments;
}

std::string PackedInLine(long long elapsed_ms) {
  return "The project has been successfully compressed in " + std::to_string(elapsed_ms / 1000) +
         " seconds.";
}

std::string ReductionPercent(long long archive_bytes, long long project_bytes) {
  if (project_bytes <= 0) return FormatFixed(0.0, 2);
  const float share = static_cast<float>(archive_bytes) / static_cast<float>(project_bytes);
  return FormatFixed((1.0f - share) * 100.0f, 2);
}

int ArchiverPercent(const std::string& text) {
  const std::size_t percent = text.rfind('%');
  if (percent == std::string::npos) return -1;
  std::size_t start = percent;
  while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9') --start;
  if (start == percent || percent - start > 3) return -1;
  const int value = std::stoi(text.substr(start, percent - start));
  return value <= 100 ? value : -1;
}

}  // namespace torva
