// AgentSessions: which coding-agent sessions the user has running beside the watched window, and
// which project a working folder belongs to.
//
// The sessions come from the stores that Claude Code, Codex, opencode and the Copilot chat of
// Visual Studio Code keep below the home folder (agents/SessionStores.h). Nothing here writes,
// talks to the network, reads the environment or keeps state between calls; every failure to read
// ends in an empty list, no answer or false. All functions are synchronous, only read the file
// system, and may run on any thread at once. `home` is always the user's home folder, passed in.
//
// Folders are file paths. A folder's depth is the number of components of its standardized form
// ("." and ".." segments removed, symbolic links not resolved, the root "/" counted as the first
// component: /home/name has three). A folder is walked up once, at a cost that grows with its
// path's length, however deep it is.

#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "analysis/AgentSession.h"
#include "analysis/Moment.h"
#include "base/Date.h"

namespace qb::AgentSessions {

// The sessions of every tool changed at or after `since`, newest first; sessions changed at the
// same time keep the order Claude Code, Codex, opencode, Copilot, and each tool's own order. Each
// session's project is repository() of its folder, else the folder's last component. `now` decides
// which sessions still count as busy. Reads files only: run it off the main thread.
std::vector<AgentSession> recent(const std::filesystem::path& home, Date since, Date now);

// The distinct repository() names of the sessions' folders, in first-seen order; folders without
// a name are left out.
std::vector<std::string> projectFolders(const std::vector<AgentSession>& sessions,
                                        const std::filesystem::path& home);

// True when the folder, or one of its parents that is still deeper than the home folder, holds an
// entry named ".git" (file or folder). The home folder itself and what lies above it never count.
bool inRepository(const std::filesystem::path& folder, const std::filesystem::path& home);

// The session working in the moment's window: the first session whose project, or whose folder's
// last component, is a whole word of the title (case ignored). Words are cut at white space and
// at em and en dashes, "|", ":", "(", ")", "[", "]", "/", "\", '"' and "'"; a hyphen, a dot or
// an underscore stays inside a word. A browser page (a moment with a URL) never has a session.
std::optional<AgentSession> session(const Moment& moment,
                                    const std::vector<AgentSession>& sessions);

// The project name of a folder. Walking up from the folder while it is deeper than home: the
// first folder with a ".git" folder gives its own name; one with a ".git" file (a linked worktree
// or a submodule) gives the main repository's name when the file points into its
// ".git/worktrees/", else its own name. Without any ".git": for a folder at least two levels
// inside home, the second folder below home (~/code/app/src gives "app"), unless the first starts
// with "." or is "Library", or the second starts with "."; nothing for home and the folders right
// below it; and for a folder outside home, its own last component.
std::optional<std::string> repository(const std::filesystem::path& folder,
                                      const std::filesystem::path& home);

}  // namespace qb::AgentSessions
