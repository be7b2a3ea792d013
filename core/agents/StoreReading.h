// StoreReading: the bounded, never-failing reads that the session-store readers share.
//
// Each answers "nothing" where the file system or the content lets it down, so that a reader only
// ever decides what to leave out. For core/agents/ only.

#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Date.h"
#include "base/JsonFwd.h"

namespace qb::AgentSessions {

// A folder's entries, one level deep, hidden ones included, in listing order, at most
// kMaxListedEntries of them; none when the folder cannot be listed.
inline constexpr size_t kMaxListedEntries = 100'000;
std::vector<std::filesystem::path> listFolder(const std::filesystem::path& folder);

// The content modification time of what the path names (links followed), when it can be read.
std::optional<Date> modificationDate(const std::filesystem::path& path);

// Up to `bytes` bytes of a regular file, from its start or its end, as repaired UTF-8; empty when
// it cannot be opened or read. A FIFO or a device at the path is refused without blocking.
std::string readRange(const std::filesystem::path& file, uint64_t bytes, bool fromEnd);

// The whole regular file as repaired UTF-8, when it can be read and is no larger than maxBytes.
std::optional<std::string> readWhole(const std::filesystem::path& file, uint64_t maxBytes);

// The text split at line feeds, empty lines dropped. The views point into `text`.
std::vector<std::string_view> lines(std::string_view text);

// The text parsed as JSON, when it parses and its top level is an object.
std::optional<Json> parseObject(std::string_view text);

// The value under key when it is text; absent when it is missing or of another type.
std::optional<std::string> textValue(const Json& object, std::string_view key);

}  // namespace qb::AgentSessions
