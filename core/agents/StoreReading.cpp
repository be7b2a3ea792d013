#include "agents/StoreReading.h"

#include <sys/stat.h>

#include <algorithm>
#include <span>

#include "base/Error.h"
#include "base/File.h"
#include "base/Json.h"
#include "base/Log.h"
#include "base/Text.h"

namespace qb::AgentSessions {

namespace fs = std::filesystem;

std::vector<fs::path> listFolder(const fs::path& folder) {
  std::vector<fs::path> entries;
  std::error_code error;
  fs::directory_iterator listing(folder, error);
  for (; !error && listing != fs::directory_iterator(); listing.increment(error)) {
    if (entries.size() == kMaxListedEntries) {
      log::write(log::Level::debug, "Agent sessions: listed only the first " +
                                        std::to_string(kMaxListedEntries) + " entries of " +
                                        folder.string());
      break;
    }
    entries.push_back(listing->path());
  }
  return entries;
}

std::optional<Date> modificationDate(const fs::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return Date::fromUnix(static_cast<double>(info.st_mtim.tv_sec) +
                        static_cast<double>(info.st_mtim.tv_nsec) / 1e9);
}

std::string readRange(const fs::path& file, uint64_t bytes, bool fromEnd) {
  try {
    // No size limit on opening: only `bytes` of the file are ever read, however large it is.
    const file::RandomAccessFile opened =
        file::RandomAccessFile::open(file, std::numeric_limits<uint64_t>::max());
    const uint64_t size = opened.size();
    const uint64_t offset = fromEnd && size > bytes ? size - bytes : 0;
    std::string out(static_cast<size_t>(std::min(bytes, size - offset)), '\0');
    out.resize(opened.readAt(offset, std::as_writable_bytes(std::span(out))));
    return text::repairUtf8(out);
  } catch (const Error&) {
    return {};
  }
}

std::optional<std::string> readWhole(const fs::path& file, uint64_t maxBytes) {
  try {
    return text::repairUtf8(file::read(file, maxBytes));
  } catch (const Error& error) {
    // A missing file is the usual case (a tool that is not installed), not worth a line.
    if (error.code() != file::kNoSuchFileCode) {
      log::write(log::Level::debug, std::string("Agent sessions: ") + error.what());
    }
    return std::nullopt;
  }
}

std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> out;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    if (end > 0) out.push_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return out;
}

std::optional<Json> parseObject(std::string_view text) {
  try {
    Json parsed = json::parse(text);
    if (parsed.is_object()) return parsed;
  } catch (const Error&) {
  }
  return std::nullopt;
}

std::optional<std::string> textValue(const Json& object, std::string_view key) {
  auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

}  // namespace qb::AgentSessions
