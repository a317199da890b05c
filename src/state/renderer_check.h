// The program's renderer check, run at start-up and before the benchmark and
// the estimation.
#pragma once

#include <string>

#include "state/next.h"
#include "state/program.h"

namespace torva {

enum class RendererCheck { kUsable, kTooOld, kInstallationGone };

// kInstallationGone, with nothing changed, when the installation in
// MaxwellDir lacks mximerge: the caller then ends the program through
// GiveUpOnInstallation. Otherwise runs the renderer once to set
// RendererVersion and GpuCapable and compares the version with
// MinRendererVersion; the caller says what "too old" means for it. The probe
// is ended after `renderer_probe_limit_ms`; what it found is kept in
// `renderer_probe`, and taken again instead with `reuse_renderer_probe`.
RendererCheck CheckRenderer(Program& program);

// The renderer of `version` is older than MinRendererVersion: the program
// does not run with it.
bool RendererTooOld(const Program& program, const std::string& version);

// Says in an error message why the program cannot run with the renderer
// `probe` found, older than MinRendererVersion, and returns the reason on one
// line for the commands without a window.
std::string ReportRendererTooOld(Program& program, const RendererProbe& probe);
// Why the benchmark or the estimator (`command`: "the benchmark") cannot run
// with RendererVersion after kTooOld: they name an older minimum of their own.
std::string TooOldToRunMessage(const Program& program, const std::string& command);

// After kInstallationGone: moves ConfigFile aside, so that the next start
// asks the first-run questions again, and returns the end with its message.
Next GiveUpOnInstallation(Program& program);

}  // namespace torva
