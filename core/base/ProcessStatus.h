// ProcessStatus: what the kernel says of this process in /proc/self/status, for the figures of
// the program's own benchmark and of the developers' ones.

#pragma once

#include <string_view>

namespace qb {

// The value of a line of /proc/self/status that the kernel counts in kB, by its key: "VmRSS" (the
// resident set now), "VmHWM" (its peak since start, or since a reset through clear_refs). 0 when
// the file cannot be read or has no such line: a figure of memory is a reading, never a reason to
// fail.
double statusKilobytes(std::string_view key);

}  // namespace qb
