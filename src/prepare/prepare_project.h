// "Prepare project": from a scene on the user's disk to a ".vum" archive
// holding the scene, every file it needs, the camera choice and two logs.
#pragma once

#include "state/program.h"

namespace torva {

void RunPrepareProject(Program& program);

}  // namespace torva
