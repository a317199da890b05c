# Run as a script (not included by the build): cmake -DINPUT=file -DOUTPUT=file.cpp -P embed_bytes.cmake
# Writes a C++ source defining torva::EmbeddedLogoPng() over the input's bytes.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Some line breaks keep the generated file readable by tools.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n  " bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
"// Generated from ${INPUT}; do not edit.
#include \"app/logo.h\"

namespace torva {
namespace {
constexpr std::uint8_t kLogo[${size}] = {
  ${bytes}
};
}  // namespace

std::span<const std::uint8_t> EmbeddedLogoPng() { return kLogo; }

}  // namespace torva
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
