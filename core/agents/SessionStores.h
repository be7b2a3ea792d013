// SessionStores: the readers of the session stores that coding-agent tools keep in the user's home
// folder, one per tool, and the bounded file reads they share.
//
// Only AgentSessions::recent() calls them; they are declared here so that each store can be tested
// on its own against a fixture home. Every path is taken below the `home` argument: nothing here
// looks at the environment.
//
// The stores are other programs' files, written while we read them. A reader never fails and never
// writes, locks or creates anything: a folder that cannot be listed, a file that cannot be read or
// does not parse, a missing key or a value of the wrong type leaves out only that item. Ill-formed
// UTF-8 is replaced with U+FFFD, never refused. Every read is bounded: logs are read only at their
// ends (kEndBytes), whole files only up to a size, listings up to a count, the database up to a
// number of rows. Only regular files are read: a FIFO or a device where a store's file belongs is
// passed over without waiting on it. Each session's `project` is its folder's last path
// component; recent() replaces it. All functions are synchronous, share nothing and may run on
// any thread.

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/AgentSession.h"
#include "base/Date.h"

namespace qb::AgentSessions {

// How much of a log's end (and of a Codex rollout's start) the readers look at: enough for the
// last turns of a session, however long the session has grown.
inline constexpr uint64_t kEndBytes = 256 << 10;

// A Codex or opencode session counts as working only while its store changed this recently: an
// agent killed mid-turn never writes its end marker, and must not read as busy for ever.
inline constexpr Duration kBusyWindow = 600;

struct DatedFile {
  std::filesystem::path path;
  Date modified;  // the content modification time

  friend bool operator==(const DatedFile&, const DatedFile&) = default;
};

// The entries of `folder` (one level, hidden ones included) whose extension is exactly
// `extension` (no dot; case counts, "jsonl" is not "json") and whose modification time can be
// read and is at or after `since`, in listing order. A folder that cannot be listed gives none.
std::vector<DatedFile> files(const std::filesystem::path& folder, const std::string& extension,
                             Date since);

// The last `bytes` bytes of a regular file (the whole file when it is no larger), as repaired
// UTF-8; empty when it cannot be read. The first line may be a fragment.
std::string tail(const std::filesystem::path& file, uint64_t bytes);
// The first `bytes` bytes of a regular file, as repaired UTF-8; empty when it cannot be read or
// `bytes` is not positive.
std::string head(const std::filesystem::path& file, int64_t bytes);

// "Claude Code": one session per transcript (.claude/projects/*/<session id>.jsonl) changed at or
// after `since` whose end holds both a title and a working folder. Busy while a process file in
// .claude/sessions says "busy" for that session and names a live process (a positive pid that
// signal 0 reaches).
std::vector<AgentSession> claudeCode(const std::filesystem::path& home, Date since);

// "Codex": one session per rollout file (.codex/sessions/**/rollout-*.jsonl) changed at or after
// `since` whose first line names a session that .codex/session_index.jsonl titles, with its
// working folder. Busy while its last turn marker is a start and the file changed less than
// kBusyWindow before `now`. Without any title in the index, no rollout is opened.
std::vector<AgentSession> codex(const std::filesystem::path& home, Date since, Date now);

// "opencode": the top-level, unarchived sessions of .local/share/opencode/opencode.db updated at
// or after `since`, newest first, at most kMaxOpencodeRows read (titles that start with
// "New session" are then left out). Busy while the newest message is the user's or unfinished and
// the session changed less than kBusyWindow before `now`; a message whose data is not JSON is
// passed over. The database is opened read-only; one that cannot be opened or queried gives no
// sessions, and so does one whose file, journal, write-ahead log or shared-memory file is not a
// regular file (links resolved), which SQLite could wait on for ever.
inline constexpr int kMaxOpencodeRows = 20;
std::vector<AgentSession> opencode(const std::filesystem::path& home, Date since, Date now);

// "Copilot": one session per chat file with a custom title, changed at or after `since`, in the
// workspace storage of "Code" and then "Code - Insiders" under .config, with the working folder
// that the workspace's workspace.json names as a URL. Never busy.
std::vector<AgentSession> copilotChat(const std::filesystem::path& home, Date since);

}  // namespace qb::AgentSessions
