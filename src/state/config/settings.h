// The configuration as the program uses it: loading at start-up, the
// first-run questions, the Config button, and saving.
#pragma once

#include "state/next.h"
#include "state/program.h"

namespace torva {

// Loads ConfigFile into the program state. False when it cannot be opened
// (start-up then asks the first-run questions). Asks the update question
// when the stored answer is empty.
bool LoadConfiguration(Program& program);

// Ends the program (kEndProgram, nothing written) when the renderer folder,
// the login or the password is not given, or when ConfigFile cannot be written.
Next AskFirstRunQuestions(Program& program);

void RunConfigButton(Program& program);

// Replaces ConfigFile with the current values. False when it cannot be written.
bool SaveConfiguration(const Program& program);

}  // namespace torva
