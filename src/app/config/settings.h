// The configuration as the program uses it: loading at start-up, the
// first-run questions, the Config button, and saving.
#pragma once

#include "app/globals.h"

namespace torva {

// Loads ConfigFile into the program state. False when it cannot be opened
// (start-up then asks the first-run questions). Asks the update question
// when the stored answer is empty.
bool LoadConfiguration(Program& program);

// May end the program.
void AskFirstRunQuestions(Program& program);

void RunConfigButton(Program& program);

// Replaces ConfigFile with the current values. False when it cannot be written.
bool SaveConfiguration(const Program& program);

}  // namespace torva
