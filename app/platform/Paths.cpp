#include "platform/Paths.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "platform/ApplicationIdentity.h"
#include "platform/UserAccount.h"

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
  const std::optional<UserAccount> account = UserAccount::current();
  if (!account || !account->home.is_absolute()) return std::nullopt;
  return account->home;
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
