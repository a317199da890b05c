# libFuzzer, for the targets in tests/fuzz (which also instrument the
# libraries they read with). Only clang has it. The sanitized test build has
# it on too, so that CI runs each target briefly.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "TM_FUZZ needs clang (libFuzzer); use -DCMAKE_CXX_COMPILER=clang++")
endif()
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS "-fsanitize=fuzzer")
check_cxx_source_compiles([[
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }
]] TM_HAVE_LIBFUZZER)
unset(CMAKE_REQUIRED_FLAGS)
if(NOT TM_HAVE_LIBFUZZER)
  message(FATAL_ERROR "TM_FUZZ: this clang cannot link libFuzzer (package libclang-rt-dev?)")
endif()
