#include "base/FileWriter.h"

#include <system_error>
#include <utility>

#include "base/Error.h"
#include "base/File.h"
#include "base/Log.h"

namespace qb {

FileWriter::FileWriter(std::function<void(bool unwritten)> unwrittenChanged)
    : unwrittenChanged_(std::move(unwrittenChanged)) {}

FileWriter::~FileWriter() {
  flush();
  std::lock_guard lock(mutex_);
  for (const auto& [path, state] : kept_) {
    const std::string lost =
        state ? "Not saved, and lost as the program ends: " : "Not removed as the program ends: ";
    log::error(lost + path.string() + " (" + failed_[path] + ")");
  }
}

void FileWriter::write(const std::filesystem::path& path, std::string bytes) {
  hand(path, std::move(bytes));
}

void FileWriter::remove(const std::filesystem::path& path) { hand(path, std::nullopt); }

void FileWriter::retry() {
  std::map<std::filesystem::path, State> kept;
  {
    std::lock_guard lock(mutex_);
    kept.swap(kept_);
  }
  for (auto& [path, state] : kept) hand(path, std::move(state));
}

void FileWriter::flush() {
  executor_.submit([] {}).get();
}

void FileWriter::hand(const std::filesystem::path& path, State state) {
  bool queued;
  {
    std::lock_guard lock(mutex_);
    kept_.erase(path);  // a newer state replaces one kept after a failure
    auto [entry, added] = pending_.insert_or_assign(path, std::move(state));
    queued = !added;
  }
  // A path already waiting for its turn takes the new state then.
  if (!queued) executor_.post([this, path] { apply(path); });
}

std::string FileWriter::tryState(const std::filesystem::path& path, const State& state) {
  if (!state) {
    std::error_code error;
    if (!std::filesystem::remove(path, error) && error) {
      return "can't remove " + path.string() + ": " + error.message();
    }
    return {};
  }
  try {
    file::writeAtomically(path, *state);
  } catch (const Error& error) {
    return error.what();
  }
  return {};
}

void FileWriter::apply(const std::filesystem::path& path) {
  State state;
  {
    std::lock_guard lock(mutex_);
    auto entry = pending_.find(path);
    if (entry == pending_.end()) return;
    state = std::move(entry->second);
    pending_.erase(entry);
  }
  const std::string failure = tryState(path, state);
  bool wasUnwritten;
  bool unwritten;
  {
    std::lock_guard lock(mutex_);
    wasUnwritten = !failed_.empty();
    const auto known = failed_.find(path);
    if (failure.empty()) {
      if (known != failed_.end()) {
        log::info("Saved after all: " + path.string());
        failed_.erase(known);
      }
    } else {
      if (known == failed_.end() || known->second != failure) {
        log::error("Not saved for now, kept to be tried again: " + failure);
      }
      failed_[path] = failure;
      // Kept unless a newer state came meanwhile, which takes its place.
      if (!pending_.contains(path)) kept_.insert_or_assign(path, std::move(state));
    }
    unwritten = !failed_.empty();
  }
  if (unwritten != wasUnwritten && unwrittenChanged_) unwrittenChanged_(unwritten);
}

}  // namespace qb
