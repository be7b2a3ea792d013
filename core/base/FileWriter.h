// FileWriter: replaces small files whole on a thread of its own, so that the caller (the main
// thread) never waits for the disk.
//
// Each write() and remove() hands over the file's next state and returns at once. The states of one
// path are applied in the order they were handed over, and a state that is replaced before its
// turn is never written: a file changed ten times while the disk was slow is written once, with
// the newest bytes. Every write goes through file::writeAtomically (a temporary file, synced, then
// renamed), so a crash leaves the old file or the new one.
//
// A state the system refuses (a read-only file, folder or disk, a full disk, no permission) is
// not dropped: it is logged, once while its reason stays the same, and kept until retry() hands it
// over again or a newer state of its path replaces it. unwrittenChanged hears, on the writer's
// thread, whether any path's last try failed: true at the first such failure, false once every
// one of them has been written (or removed) since. Replacing a failed state does not count as
// writing it, so the answer does not flicker while a newer state waits for its turn.
//
// Destruction applies what is still pending, without trying the kept states again (a caller that
// quits has had its last chance with retry() and flush()), logs each kept state as lost, then
// joins the thread. Thread-safe.

#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "base/SerialExecutor.h"

namespace qb {

class FileWriter {
public:
  // `unwrittenChanged`, when given, must stay callable until the writer is destroyed.
  explicit FileWriter(std::function<void(bool unwritten)> unwrittenChanged = {});
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  void write(const std::filesystem::path& path, std::string bytes);
  // Removes the file; a missing file is no failure.
  void remove(const std::filesystem::path& path);
  // Hands every state kept after a failure over again, as if it had been handed over now.
  void retry();
  // Returns once every state handed over before the call is applied.
  void flush();

private:
  using State = std::optional<std::string>;  // none means removed

  void hand(const std::filesystem::path& path, State state);
  void apply(const std::filesystem::path& path);
  // Writes or removes; answers why that failed, empty when it did not.
  static std::string tryState(const std::filesystem::path& path, const State& state);

  std::mutex mutex_;
  // Each path's newest state not yet applied.
  std::map<std::filesystem::path, State> pending_;
  // States whose try failed and that nothing newer has replaced, waiting for retry().
  std::map<std::filesystem::path, State> kept_;
  // The paths whose last try failed, with its reason; only apply() changes it, on the thread.
  std::map<std::filesystem::path, std::string> failed_;
  const std::function<void(bool unwritten)> unwrittenChanged_;
  SerialExecutor executor_;  // declared last: it finishes the pending states before they go
};

}  // namespace qb
