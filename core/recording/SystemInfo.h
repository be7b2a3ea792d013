// SystemInfo: what a recording session says about the program and the machine it ran on.
//
// Readers of system files: an unreadable or malformed file gives the fallback named below, never an
// error, and each read is bounded.

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace qb::SystemInfo {

// The system files are a few hundred bytes; nothing larger is read.
inline constexpr uint64_t kMaxFileBytes = 64 * 1024;

// The program's version, as the build names it; "dev" for a build that names none.
std::string appVersion();

// The operating system: PRETTY_NAME of the os-release file, else its NAME and VERSION_ID, else
// "Linux".
std::string os(const std::filesystem::path& osRelease = "/etc/os-release");

// The machine model: the firmware's product name, trimmed, when it reads as non-empty text; else
// the processor architecture (uname's machine, "x86_64").
std::string machine(const std::filesystem::path& productName = "/sys/class/dmi/id/product_name");

// The machine id file holds this many hexadecimal digits.
inline constexpr size_t kMachineIDDigits = 32;

// The machine's identifier as the system keeps it: the file's text without its line end, when
// that is exactly kMachineIDDigits hexadecimal digits (case kept); none, logged, when the file is
// unreadable or holds anything else, such as the "uninitialized" of a system not yet booted once.
// The identifier is never sent as it is: sharing derives its own from it.
std::optional<std::string> machineID(const std::filesystem::path& file = "/etc/machine-id");

}  // namespace qb::SystemInfo
