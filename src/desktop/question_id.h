// Every question, input box and file requester the program puts to a person,
// named for what it asks. The commands without a window answer by these
// names, so a box's words can change without breaking them.
#pragma once

namespace torva {

enum class QuestionId {
  // The settings.
  kHasAccount,
  kModifyUserInfo,
  kLogin,
  kPassword,
  kCheckUpdates,
  kMaxwellFolder,
  kRendererFolderMoved,
  kUpdateOffer,
  // The benchmark.
  kBenchmarkMode,
  kBenchmarkNow,
  kBenchmarkAgain,
  // Preparing a project.
  kScene,
  kMissingFile,
  kSameNames,
  kCompression,
  // Estimating a project.
  kEstimationType,
  kProjectArchive,
  kProjectWidth,
  kProjectHeight,
  kSamplingLevel,
  // A close of the main window during a long command.
  kStopAndQuit,
};

}  // namespace torva
