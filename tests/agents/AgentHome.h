// A fixture home folder for the session-store readers: files written with the modification time a
// test chooses, below a scratch folder that goes with the value.

#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "analysis/AgentSession.h"
#include "base/Date.h"
#include "support/TestSupport.h"

namespace qb {

inline void PrintTo(const AgentSession& s, std::ostream* out) {
  *out << "{" << s.agent << ", " << s.folder << ", " << s.title << ", "
       << s.updated.sinceReferenceDate << ", " << (s.busy ? "busy" : "idle") << ", " << s.project
       << "}";
}

}  // namespace qb

namespace qb::test {

// The instant the store tests take as now, and the window they read since.
inline constexpr Date kNow = Date::fromUnix(1'700'000'000);
inline constexpr Date kSince = kNow - 7200;

class AgentHome {
public:
  const std::filesystem::path& path() const { return dir_.path(); }
  std::filesystem::path operator/(const std::filesystem::path& relative) const {
    return dir_ / relative;
  }

  // Writes the file (and its folders) and dates it `modified`.
  std::filesystem::path write(const std::filesystem::path& relative, std::string_view bytes,
                              Date modified = kNow) const {
    const std::filesystem::path file = dir_ / relative;
    std::filesystem::create_directories(file.parent_path());
    writeFile(file, bytes);
    date(file, modified);
    return file;
  }

  // Makes the folder (and its parents).
  std::filesystem::path folder(const std::filesystem::path& relative) const {
    std::filesystem::create_directories(dir_ / relative);
    return dir_ / relative;
  }

  static void date(const std::filesystem::path& file, Date modified) {
    const double unix = modified.unixTime();
    const auto seconds = static_cast<time_t>(unix);
    const timespec times[2] = {{seconds, 0}, {seconds, static_cast<long>((unix - seconds) * 1e9)}};
    if (::utimensat(AT_FDCWD, file.c_str(), times, 0) != 0) {
      throw std::runtime_error("cannot date " + file.string());
    }
  }

private:
  TempDir dir_;
};

}  // namespace qb::test
