#include "recording/SystemInfo.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <map>
#include <optional>
#include <sstream>
#include <string_view>

#include "base/File.h"
#include "base/Log.h"
#include "base/Text.h"

namespace qb::SystemInfo {
namespace {

std::optional<std::string> readSmall(const std::filesystem::path& path) {
  try {
    return text::repairUtf8(file::read(path, kMaxFileBytes));
  } catch (const std::exception& error) {
    log::info(std::string("System information: ") + error.what());
    return std::nullopt;
  }
}

// os-release values may be quoted with double or single quotes; backslash escapes inside double
// quotes are kept as read, which the names in practice never use.
std::string unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

}  // namespace

std::string appVersion() {
#ifdef QB_APP_VERSION
  return QB_APP_VERSION;
#else
  return "dev";
#endif
}

std::string os(const std::filesystem::path& osRelease) {
  std::optional<std::string> content = readSmall(osRelease);
  if (!content) return "Linux";
  std::map<std::string, std::string, std::less<>> fields;
  std::istringstream lines(*content);
  for (std::string line; std::getline(lines, line);) {
    size_t equals = line.find('=');
    if (equals == std::string::npos || line.starts_with('#')) continue;
    fields[text::trimmed(line.substr(0, equals))] =
        unquoted(text::trimmed(std::string_view(line).substr(equals + 1)));
  }
  if (auto pretty = fields.find("PRETTY_NAME"); pretty != fields.end() && !pretty->second.empty()) {
    return pretty->second;
  }
  auto name = fields.find("NAME");
  if (name == fields.end() || name->second.empty()) return "Linux";
  auto version = fields.find("VERSION_ID");
  return version == fields.end() || version->second.empty() ? name->second
                                                            : name->second + " " + version->second;
}

std::string machine(const std::filesystem::path& productName) {
  if (std::optional<std::string> content = readSmall(productName)) {
    std::string model = text::trimmed(*content);
    if (!model.empty()) return model;
  }
  struct utsname system {};
  if (::uname(&system) == 0) return system.machine;
  log::error("System information: uname failed");
  return "unknown";
}

std::optional<std::string> machineID(const std::filesystem::path& file) {
  std::optional<std::string> id = readSmall(file);
  if (!id) return std::nullopt;
  if (id->ends_with('\n')) id->pop_back();
  // Anything else names no one machine: systemd's "uninitialized" before the first boot ends, an
  // empty file or the all-zero id, which systemd itself takes for no id, in an image meant to be
  // cloned. Hashed, each would give every such machine the same install identifier, and their
  // users' shared rows would be one installation's.
  const bool hex =
      id->size() == kMachineIDDigits && std::all_of(id->begin(), id->end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
      });
  const bool zero = std::all_of(id->begin(), id->end(), [](char c) { return c == '0'; });
  if (!hex || zero) {
    log::error("System information: the machine id in " + file.string() + " is not " +
               std::to_string(kMachineIDDigits) + " hexadecimal digits of a machine");
    return std::nullopt;
  }
  return id;
}

}  // namespace qb::SystemInfo
