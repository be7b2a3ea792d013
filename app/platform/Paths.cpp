#include "platform/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "platform/ApplicationIdentity.h"

namespace qb::paths {
namespace {

constexpr const char* kSettingsFileName = "settings.json";
constexpr const char* kAutostartFolderName = "autostart";

// The variable's value when it names an absolute path; a relative one would resolve against
// whatever folder the program happened to start in.
std::optional<std::filesystem::path> absoluteVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  std::filesystem::path path(value);
  if (!path.is_absolute()) return std::nullopt;
  return path;
}

std::optional<std::filesystem::path> accountHome() {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  constexpr long kFallbackBufferBytes = 16384;  // when the system gives no hint
  if (size <= 0) size = kFallbackBufferBytes;
  std::vector<char> buffer(static_cast<size_t>(size));
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/') {
    return std::nullopt;
  }
  return std::filesystem::path(found->pw_dir);
}

}  // namespace

std::filesystem::path home() {
  if (auto path = absoluteVariable("HOME")) return *path;
  if (auto path = accountHome()) return *path;
  throw Error(kErrorDomain, kNoHomeCode,
              "No home folder: HOME is not set and the account has none");
}

std::filesystem::path configHome() {
  if (auto path = absoluteVariable("XDG_CONFIG_HOME")) return *path;
  return home() / ".config";
}

std::filesystem::path dataHome() {
  if (auto path = absoluteVariable("XDG_DATA_HOME")) return *path;
  return home() / ".local" / "share";
}

std::filesystem::path settingsFile() {
  return configHome() / std::string(kApplicationName) / kSettingsFileName;
}

std::filesystem::path applicationFolder() { return dataHome() / std::string(kApplicationName); }

std::filesystem::path autostartFolder() { return configHome() / kAutostartFolderName; }

}  // namespace qb::paths
