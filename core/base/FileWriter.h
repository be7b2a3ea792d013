// FileWriter: replaces small files whole on a thread of its own, so that the caller (the main
// thread) never waits for the disk.
//
// Each write() and remove() hands over the file's next state and returns at once. The states of one
// path are applied in the order they were handed over, and a state that is replaced before its
// turn is never written: a file changed ten times while the disk was slow is written once, with
// the newest bytes. Every write goes through file::writeAtomically (a temporary file, synced, then
// renamed), so a crash leaves the old file or the new one. A failure is logged and the next state
// of that path is tried as usual.
//
// Destruction writes what is still pending, then joins the thread. Thread-safe.

#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "base/SerialExecutor.h"

namespace qb {

class FileWriter {
public:
  FileWriter() = default;
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  void write(const std::filesystem::path& path, std::string bytes);
  // Removes the file; a missing file is no failure.
  void remove(const std::filesystem::path& path);
  // Returns once every state handed over before the call is applied.
  void flush();

private:
  void hand(const std::filesystem::path& path, std::optional<std::string> state);
  void apply(const std::filesystem::path& path);

  std::mutex mutex_;
  // Each path's newest state not yet applied; none means removed.
  std::map<std::filesystem::path, std::optional<std::string>> pending_;
  SerialExecutor executor_;  // declared last: it finishes the pending states before they go
};

}  // namespace qb
