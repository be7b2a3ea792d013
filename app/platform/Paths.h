// Paths: where the program keeps its files, after the XDG base-directory conventions.
//
// Each call reads the environment afresh, so a test that sets XDG_CONFIG_HOME or XDG_DATA_HOME
// sees the folders move. A variable that is unset, empty or not an absolute path is ignored, as
// those conventions ask, and the folder falls back to one under the home folder.
//
// Nothing here creates a folder: whoever writes a file creates its folder first.

#pragma once

#include <filesystem>

namespace qb::paths {

// $HOME when it is set and absolute, else the account's home folder from the password database.
// Throws qb::Error (domain kErrorDomain, code kNoHomeCode) when neither names one: without a home
// folder the program has nowhere to keep the user's settings, and guessing one would scatter them.
std::filesystem::path home();

inline constexpr const char* kErrorDomain = "qb.paths";
inline constexpr long kNoHomeCode = 1;

// $XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path configHome();
// $XDG_DATA_HOME, else ~/.local/share.
std::filesystem::path dataHome();

// The settings file: configHome/Quillbrook/settings.json.
std::filesystem::path settingsFile();
// The folder of every other file the program writes (event log, recording, what it has learned):
// dataHome/Quillbrook.
std::filesystem::path applicationFolder();
// Where the desktop looks for programs to start at login: configHome/autostart.
std::filesystem::path autostartFolder();

}  // namespace qb::paths
