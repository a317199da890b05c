// Names and command lines of an estimation run, built from the archive, the
// scene found in it and the user's answers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "renderer/render_mode.h"
#include "text/paths.h"

namespace torva {

// The archive's file name with every ".vum" removed, ignoring case.
std::string ArchiveBase(std::string_view vum_path);
// The scene file name with every ".mxs" removed, ignoring case.
std::string SceneBase(std::string_view scene_file);
// Every occurrence of `piece` removed, left to right, ignoring ASCII case.
std::string RemoveIgnoringCase(std::string_view text, std::string_view piece);

// archive base + "_" + resolution + "_SL" + SL answer + "_estimate_CPU.log".
// Characters a file name cannot safely hold ("/", control characters) become
// "_", and over-long pieces are cut, so that the name stays one file name.
std::string EstimateLogName(std::string_view archive_base, std::string_view resolution_text,
                            std::string_view sl_answer, RenderMode mode);

// Where a run without a verdict leaves its log when an earlier one is kept:
// "X.log" becomes "X.failed.log".
std::string FailedLogName(std::string_view log_name);

// The renderer's arguments; each path is one argument, blanks and quotes and all.
std::vector<std::string> EstimationArguments(RenderMode mode, const std::string& work_dir,
                                             const std::string& scene_file,
                                             const std::string& scene_base,
                                             const std::string& resolution_text, int target_sl);

}  // namespace torva
