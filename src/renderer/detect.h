// Finding the renderer installation and the version it reports.
#pragma once

#include <string_view>

#include "app/globals.h"

namespace torva {

enum class RendererCheck { kUsable, kTooOld };

// Ends the program (after moving the configuration aside and saying so) when
// the installation in MaxwellDir lacks mximerge. Otherwise runs the renderer
// once to set RendererVersion and GpuCapable and compares the version with
// MinRendererVersion.
RendererCheck CheckRenderer(Program& program);

// Versions compare as texts, character code by character code: "10.0.1" is
// older than "2.7.0", and "2.7" older than "2.7.0".
bool VersionIsOlder(std::string_view version, std::string_view minimum);

}  // namespace torva
