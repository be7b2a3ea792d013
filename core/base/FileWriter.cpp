#include "base/FileWriter.h"

#include "base/Error.h"
#include "base/File.h"
#include "base/Log.h"

namespace qb {

FileWriter::~FileWriter() { flush(); }

void FileWriter::write(const std::filesystem::path& path, std::string bytes) {
  hand(path, std::move(bytes));
}

void FileWriter::remove(const std::filesystem::path& path) { hand(path, std::nullopt); }

void FileWriter::flush() {
  executor_.submit([] {}).get();
}

void FileWriter::hand(const std::filesystem::path& path, std::optional<std::string> state) {
  bool queued;
  {
    std::lock_guard lock(mutex_);
    auto [entry, added] = pending_.insert_or_assign(path, std::move(state));
    queued = !added;
  }
  // A path already waiting for its turn takes the new state then.
  if (!queued) executor_.post([this, path] { apply(path); });
}

void FileWriter::apply(const std::filesystem::path& path) {
  std::optional<std::string> state;
  {
    std::lock_guard lock(mutex_);
    auto entry = pending_.find(path);
    if (entry == pending_.end()) return;
    state = std::move(entry->second);
    pending_.erase(entry);
  }
  if (!state) {
    std::error_code error;
    if (!std::filesystem::remove(path, error) && error) {
      log::error("Not removed: " + path.string() + ": " + error.message());
    }
    return;
  }
  try {
    file::writeAtomically(path, *state);
  } catch (const Error& error) {
    log::error("Not saved: " + std::string(error.what()));
  }
}

}  // namespace qb
