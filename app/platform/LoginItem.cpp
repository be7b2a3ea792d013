#include "platform/LoginItem.h"

#include <string_view>
#include <system_error>
#include <utility>

#include "base/Error.h"
#include "base/File.h"
#include "base/Log.h"
#include "base/Text.h"
#include "platform/ApplicationIdentity.h"
#include "platform/DesktopEntries.h"
#include "platform/Paths.h"

namespace qb {
namespace {

constexpr const char* kRunningExecutableLink = "/proc/self/exe";
// What the kernel appends to the link when the program's file was replaced while it runs (an
// upgrade): the path without it names the new file, which is the one to start next time.
constexpr std::string_view kDeletedSuffix = " (deleted)";
constexpr std::string_view kEntryGroup = "[Desktop Entry]";
constexpr std::string_view kHiddenKey = "Hidden";
// Others may read the entry, as they may any program's launcher; only the user writes it.
constexpr auto kEntryPermissions =
    std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
    std::filesystem::perms::group_read | std::filesystem::perms::others_read;

// One argument of an Exec line: quoted whole, with the characters that stay special inside
// quotes escaped, and percent signs doubled so that none reads as a field code. (GLib 2.74 still
// refuses an entry whose program path holds a percent sign: it looks for the file before undoing
// the doubling. No other quoting would start such a path correctly, so it is left at that.)
std::string execArgument(std::string_view argument) {
  std::string quoted = "\"";
  for (const char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

// A string value of a desktop entry: the escapes are undone before the Exec line is split into
// arguments, so they apply on top of execArgument's.
std::string stringValue(std::string_view value) {
  std::string escaped;
  for (const char c : value) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\t':
        escaped += "\\t";
        break;
      case '\r':
        escaped += "\\r";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

}  // namespace

LoginItem::LoginItem() : LoginItem(paths::autostartFolder(), runningExecutable()) {}

LoginItem::LoginItem(std::filesystem::path autostartFolder, std::filesystem::path executable)
    : file_(std::move(autostartFolder) / (std::string(kApplicationID) + ".desktop")),
      executable_(std::move(executable)) {}

std::filesystem::path LoginItem::runningExecutable() {
  std::error_code error;
  std::string path = std::filesystem::read_symlink(kRunningExecutableLink, error).string();
  if (error) {
    log::error(std::string("Login item: can't find the running program: ") + error.message());
    return {};
  }
  if (path.ends_with(kDeletedSuffix)) path.resize(path.size() - kDeletedSuffix.size());
  return path;
}

std::string LoginItem::desktopEntry(const std::filesystem::path& executable) {
  std::string entry(kEntryGroup);
  entry += "\nType=Application\nName=";
  entry += kApplicationName;
  entry += "\nExec=" + stringValue(execArgument(executable.string()));
  entry += "\nTerminal=false\n";
  return entry;
}

bool LoginItem::isEnabled() const {
  try {
    const auto keys = DesktopEntries::entryKeys(file::read(file_, kMaxEntryBytes));
    if (!keys) return false;
    for (const auto& [key, value] : *keys) {
      if (key == kHiddenKey && value == "true") return false;
    }
    return true;
  } catch (const Error& error) {
    if (error.code() != file::kNoSuchFileCode)
      log::error(std::string("Login item: ") + error.what());
    return false;
  }
}

void LoginItem::setEnabled(bool enabled) {
  if (!enabled) {
    std::error_code error;
    std::filesystem::remove(file_, error);
    if (error) log::error("Login item: can't remove " + file_.string() + ": " + error.message());
    return;
  }
  // A desktop entry is UTF-8 text: a path that isn't could not be named in it.
  if (!executable_.is_absolute() || !text::isValidUtf8(executable_.string())) {
    log::error("Login item: can't start \"" + text::repairUtf8(executable_.string()) +
               "\" at login: the path is not absolute UTF-8 text");
    return;
  }
  try {
    file::writeAtomically(file_, desktopEntry(executable_), kEntryPermissions);
  } catch (const Error& error) {
    log::error(std::string("Login item: ") + error.what());
  }
}

}  // namespace qb
