// Telling the system's answer from a file's own damage, after file::read() or readText() failed.
//
// A file the program keeps may be refused for a while by what stands around it: a run with sudo
// left it to root, a mount or a disk fails to read. What it holds is then still the user's, and
// must be kept as it is and read again later: never set aside, replaced or taken for missing. A
// file whose bytes cannot be what the program wrote (no UTF-8, larger than the reader allows, no
// regular file at all) is damaged, and its reader judges what to do with it.
//
// File.h's codes say most of it: kNoPermissionCode is the system's, kNoSuchFileCode and
// kInapplicableEncodingCode are not. kReadFailedCode is both an I/O error and a file that is too
// large or no regular file; what stands at the path now tells them apart. When that cannot be
// looked at either, the answer is the system's, so that a doubt keeps the file.

#pragma once

#include <cstdint>
#include <filesystem>

namespace qb {

class Error;

namespace file {

// Whether `error`, thrown by read() or readText() of `path` with `maxBytes`, was the system's
// answer rather than what the file holds.
bool refusedBySystem(const Error& error, const std::filesystem::path& path, uint64_t maxBytes);

}  // namespace file
}  // namespace qb
