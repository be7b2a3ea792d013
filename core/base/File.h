// Reading whole files: the model files, the vocabulary and the program's own JSON files.
//
// Every failure is a qb::Error in the file domain whose message names the path, with one of the
// codes below, in the same numbering as Error::kFileReadCorruptCode; callers tell failures apart
// by them, so the numbers never change. Content problems are the callers' to judge: a file that
// reads is never reported corrupt here.

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace qb::file {

inline constexpr long kReadFailedCode = 256;
inline constexpr long kNoPermissionCode = 257;
inline constexpr long kNoSuchFileCode = 260;
inline constexpr long kInapplicableEncodingCode = 261;

// The file's bytes, whole. A directory, a FIFO or another file that is not regular, and a file
// larger than maxBytes (checked before and while reading, so a growing file is caught too), are
// read failures: a misplaced file can never make a reader allocate without bound or block.
std::string read(const std::filesystem::path& path, uint64_t maxBytes);

// read(), and kInapplicableEncodingCode when the bytes are not valid UTF-8.
std::string readText(const std::filesystem::path& path, uint64_t maxBytes);

}  // namespace qb::file
