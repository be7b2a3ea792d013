// LoginItem: whether the desktop starts this program when the user logs in, through an XDG
// autostart entry, <autostart folder>/<application id>.desktop.
//
// The entry is on when its file exists and does not say Hidden=true (the way a user or a settings
// panel turns an entry off without deleting it). Turning it on writes a whole desktop entry whose
// Exec starts the given executable; turning it off removes the file.
//
// Failures are logged and otherwise ignored: the entry is then left as the file system has it, and
// isEnabled() keeps telling the truth about it.

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace qb {

class LoginItem {
public:
  // The entry in paths::autostartFolder(), starting the running program (/proc/self/exe).
  LoginItem();
  // The entry in `autostartFolder`, starting `executable`, an absolute path.
  LoginItem(std::filesystem::path autostartFolder, std::filesystem::path executable);

  // The running program's absolute path; empty (and logged) when the system does not say.
  static std::filesystem::path runningExecutable();

  const std::filesystem::path& file() const { return file_; }

  bool isEnabled() const;
  void setEnabled(bool enabled);

  // The desktop entry that starts `executable`: Exec holds its path quoted and escaped so that
  // every path reads back as itself (spaces, quotes, dollar signs, backslashes, percent signs).
  static std::string desktopEntry(const std::filesystem::path& executable);

  // The longest autostart file read: entries are a few hundred bytes.
  static constexpr uint64_t kMaxEntryBytes = 64 << 10;

private:
  std::filesystem::path file_;
  std::filesystem::path executable_;
};

}  // namespace qb
