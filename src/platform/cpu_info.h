// What the program tells about this computer's processor.
#pragma once

#include <string>

namespace torva {

// The processor's brand name, e.g. "Intel(R) Core(TM) i7-9750H CPU @ 2.60GHz";
// empty when the system does not say.
std::string ProcessorBrand();

// Number of logical processors (at least 1).
int LogicalProcessors();

}  // namespace torva
