#include "estimate/estimation_names.h"

#include "text/numbers.h"
#include "text/paths.h"

namespace torva {

namespace {

constexpr std::size_t kMaxFileNameBytes = 250;  // room left for ".json" beside ".log"

bool SameIgnoringCase(std::string_view a, std::string_view b) { return Lowered(a) == Lowered(b); }

std::string SafeForFileName(std::string_view text) {
  std::string safe(text);
  for (char& c : safe) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || byte < 0x20 || byte == 0x7F) c = '_';
  }
  return safe;
}

// At most `bytes` bytes, never cutting a UTF-8 character in two.
std::string CutUtf8(std::string text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  std::size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

}  // namespace

std::string RemoveIgnoringCase(std::string_view text, std::string_view piece) {
  if (piece.empty()) return std::string(text);
  std::string result;
  std::size_t i = 0;
  while (i < text.size()) {
    if (i + piece.size() <= text.size() && SameIgnoringCase(text.substr(i, piece.size()), piece)) {
      i += piece.size();
    } else {
      result += text[i++];
    }
  }
  return result;
}

std::string ArchiveBase(std::string_view vum_path) {
  return RemoveIgnoringCase(FileNameOf(vum_path), ".vum");
}

std::string SceneBase(std::string_view scene_file) {
  return RemoveIgnoringCase(scene_file, ".mxs");
}

std::string EstimateLogName(std::string_view archive_base, std::string_view resolution_text,
                            std::string_view sl_answer, RenderMode mode) {
  const std::string middle = "_" + std::string(resolution_text) + "_SL";
  const std::string tail = std::string("_estimate_") + ModeName(mode) + ".log";
  std::size_t room = kMaxFileNameBytes - middle.size() - tail.size();
  const std::string base = CutUtf8(SafeForFileName(archive_base), room);
  room -= base.size();
  return base + middle + CutUtf8(SafeForFileName(sl_answer), room) + tail;
}

std::vector<std::string> EstimationArguments(RenderMode mode, const std::string& work_dir,
                                             const std::string& scene_file,
                                             const std::string& scene_base,
                                             const std::string& resolution_text, int target_sl) {
  std::vector<std::string> arguments = {"-mxs:" + work_dir + "/" + scene_file,
                                        "-res:" + resolution_text, "-t:9999999",
                                        "-s:" + FormatFixed(target_sl, 2), "-th:0"};
  if (mode == RenderMode::kGpu) {
    arguments.insert(arguments.end(),
                     {"-rs:2", "-nomxi:off", "-noimage:off", "-gpuall", "-multigpu:coop"});
  } else {
    arguments.insert(arguments.end(), {"-rs:1", "-nomxi:off", "-noimage:off"});
  }
  arguments.insert(arguments.end(),
                   {"-mxi:" + work_dir + "/" + scene_base + ".mxi",
                    "-o:" + work_dir + "/" + scene_base + ".jpg", "-hide", "-nogui", "-nowait"});
  return arguments;
}

std::string FailedLogName(std::string_view log_name) {
  if (log_name.ends_with(".log")) log_name.remove_suffix(4);
  return std::string(log_name) + ".failed.log";
}

}  // namespace torva
