# Writes a C++ source that holds a text file's bytes as qb::<NAME>, a std::string_view.
# Run as: cmake -DINPUT=<file> -DOUTPUT=<source> -DNAME=<identifier> -P EmbedText.cmake
file(READ "${INPUT}" hex HEX)
if(hex STREQUAL "")
  message(FATAL_ERROR "${INPUT} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
file(WRITE "${OUTPUT}.new" "// Generated from ${INPUT}; edit that file instead.
#include <string_view>

namespace qb {
namespace {
constexpr char kBytes[] = {${bytes}};
}  // namespace
extern const std::string_view ${NAME};
const std::string_view ${NAME}(kBytes, sizeof kBytes);
}  // namespace qb
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
