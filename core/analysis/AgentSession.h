// AgentSession: one coding-agent session, as the session watch reads it from the agent's store.
//
// A Moment carries the session that belongs to its window's folder, so that the policy can tell a
// user who waits on a busy agent from one who has drifted.

#pragma once

#include <optional>
#include <string>

#include "base/Date.h"

namespace qb {

struct AgentSession {
  std::string agent;   // the tool that owns the session
  std::string folder;  // the session's working folder, a file path
  std::string title;   // as the tool stores it
  Date updated;        // when the session last changed
  bool busy = false;   // true while the agent works, false while it waits for the user
  std::string project;

  AgentSession() = default;
  // Without a project, the project is the folder's last path component.
  AgentSession(std::string agent, std::string folder, std::string title, Date updated, bool busy,
               std::optional<std::string> project = std::nullopt);

  // The title as words: a hyphenated slug ("fix-login-bug") reads as "fix login bug".
  std::string task() const;

  friend bool operator==(const AgentSession&, const AgentSession&) = default;
};

// The last component of a file path: "/a/b/" gives "b", "/" gives "/", "" gives "".
std::string lastPathComponent(const std::string& path);

}  // namespace qb
