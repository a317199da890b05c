// The program's renderer check, run at start-up and before the benchmark and
// the estimation.
#pragma once

#include "app/globals.h"
#include "renderer/detect.h"

namespace torva {

enum class RendererCheck { kUsable, kTooOld };

// Ends the program (after moving the configuration aside and saying so) when
// the installation in MaxwellDir lacks mximerge. Otherwise runs the renderer
// once to set RendererVersion and GpuCapable and compares the version with
// MinRendererVersion. The caller says what "too old" means for it. The probe
// is ended after `renderer_probe_limit_ms`.
RendererCheck CheckRenderer(Program& program);

}  // namespace torva
