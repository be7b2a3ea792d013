// What several benchmarks share: where their data files are, a scratch folder, and the process's
// memory as the kernel counts it.

#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <system_error>

#include "base/ProcessStatus.h"
#include "base/Runtime.h"

namespace qb {

// The file at `relative` in the source tree the build was configured from (QB_SOURCE_DIR, which
// the bench CMakeLists sets), so that every benchmark reads the same file whatever the working
// directory. Throws std::runtime_error naming the path when no file is there: a benchmark catches
// it and skips with that reason, as it does for a file that will not load.
inline std::filesystem::path sourceFile(const std::filesystem::path& relative) {
  std::filesystem::path file = std::filesystem::path(QB_SOURCE_DIR) / relative;
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    throw std::runtime_error("no file at " + file.string());
  }
  return file;
}

// A folder of its own under `parent` (the temporary folder by default), removed with everything
// in it.
class ScratchFile {
public:
  explicit ScratchFile(
      const std::filesystem::path& parent = std::filesystem::temp_directory_path()) {
    std::string pattern = (parent / "qb-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
  }
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path path() const { return folder_ / "recording.sqlite"; }

private:
  std::filesystem::path folder_;
};

// A main thread and timers for a recorder that never arms its batch timer: batches go by the
// hundred and at the flush.
class NoMain final : public Executor {
public:
  void post(std::function<void()>) override {}
};
class NoTimers final : public Timers {
public:
  Id schedule(Duration, std::function<void()>) override { return 0; }
  void cancel(Id) override {}
};

// Resets VmHWM to the current resident set, where the kernel allows it.
inline void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// A reset leaves VmHWM at VmRSS; more above it than this means the kernel refused the reset, and
// the peak would be the whole process's.
inline constexpr double kResetSlackKilobytes = 1024;

}  // namespace qb
