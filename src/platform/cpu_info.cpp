#include "platform/cpu_info.h"

#include <unistd.h>

#ifdef __APPLE__
#include <sys/sysctl.h>
#include <sys/types.h>
#else
#include <fstream>
#endif

namespace torva {

namespace {

std::string WithoutLeadingBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first);
}

}  // namespace

std::string ProcessorBrand() {
#ifdef __APPLE__
  char brand[256] = {};
  std::size_t size = sizeof brand - 1;
  if (sysctlbyname("machdep.cpu.brand_string", brand, &size, nullptr, 0) != 0) return {};
  return WithoutLeadingBlanks(brand);
#else
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("model name", 0) != 0) continue;
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos) return WithoutLeadingBlanks(line.substr(colon + 1));
  }
  return {};
#endif
}

int LogicalProcessors() {
#ifdef __APPLE__
  int count = 0;
  std::size_t size = sizeof count;
  if (sysctlbyname("hw.logicalcpu", &count, &size, nullptr, 0) == 0 && count > 0) return count;
  return 1;
#else
  const long count = sysconf(_SC_NPROCESSORS_ONLN);
  return count > 0 ? static_cast<int>(count) : 1;
#endif
}

}  // namespace torva
