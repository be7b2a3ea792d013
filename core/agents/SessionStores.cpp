#include "agents/SessionStores.h"

#include <signal.h>

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "agents/StoreReading.h"
#include "base/Json.h"
#include "base/Log.h"
#include "base/Url.h"

namespace qb::AgentSessions {
namespace {

namespace fs = std::filesystem;

// Whole files the readers parse. Process files and workspace.json hold a few keys; a chat file
// holds the whole conversation, so it is allowed far more before we pass it over.
constexpr uint64_t kMaxProcessFileBytes = 64 << 10;
constexpr uint64_t kMaxWorkspaceFileBytes = 64 << 10;
constexpr uint64_t kMaxChatFileBytes = 32 << 20;

// The Codex folder gains a dated folder a day and a file per session, for ever; a walk past this
// many entries is cut short rather than left to grow with the user's history.
constexpr size_t kMaxWalkedEntries = 200'000;

// Markers looked for in a line before it is worth parsing.
constexpr std::string_view kTitleMarker = "\"type\":\"ai-title\"";
constexpr std::string_view kFolderMarker = "\"cwd\":";
constexpr std::string_view kTurnStartedMarker = "\"type\":\"task_started\"";
constexpr std::string_view kTurnEndMarkers[] = {"\"type\":\"task_complete\"",
                                                "\"type\":\"turn_aborted\""};

constexpr std::string_view kRolloutPrefix = "rollout-";

// Both editions of the editor keep their workspaces in the same shape.
constexpr const char* kEditors[] = {"Code", "Code - Insiders"};

bool contains(std::string_view line, std::string_view marker) {
  return line.find(marker) != std::string_view::npos;
}

// "pid" as the process files write it: an integer number in the range of process ids. Zero and
// negative numbers are refused too: kill() would take them for process groups, which always exist.
std::optional<pid_t> processID(const Json& object) {
  auto it = object.find("pid");
  if (it == object.end() || !it->is_number_integer()) return std::nullopt;
  if (it->is_number_unsigned()) {
    const auto value = it->get<uint64_t>();
    if (value == 0 || value > static_cast<uint64_t>(std::numeric_limits<pid_t>::max())) {
      return std::nullopt;
    }
    return static_cast<pid_t>(value);
  }
  const auto value = it->get<int64_t>();
  if (value <= 0 || value > std::numeric_limits<pid_t>::max()) return std::nullopt;
  return static_cast<pid_t>(value);
}

// The session ids whose process files say an agent is working in a process that still runs. A
// process that ended mid-turn leaves "busy" behind, so the process itself is the only proof.
std::set<std::string> busyClaudeSessions(const fs::path& home) {
  std::set<std::string> busy;
  for (const fs::path& entry : listFolder(home / ".claude" / "sessions")) {
    if (entry.extension() != ".json") continue;
    const std::optional<std::string> bytes = readWhole(entry, kMaxProcessFileBytes);
    if (!bytes) continue;
    const std::optional<Json> process = parseObject(*bytes);
    if (!process) continue;
    if (textValue(*process, "status") != "busy") continue;
    const std::optional<std::string> session = textValue(*process, "sessionId");
    if (!session) continue;
    const std::optional<pid_t> pid = processID(*process);
    if (!pid) continue;
    if (::kill(*pid, 0) == 0) busy.insert(*session);
  }
  return busy;
}

// A transcript's title and working folder, from its last lines back. The title line is rewritten
// as the conversation goes on, so the latest one wins; the folder comes from the latest line that
// names one.
std::optional<AgentSession> claudeTranscript(const DatedFile& transcript,
                                             const std::set<std::string>& busy) {
  const std::string end = tail(transcript.path, kEndBytes);
  const std::vector<std::string_view> all = lines(end);
  std::optional<std::string> title;
  std::optional<std::string> folder;
  for (auto line = all.rbegin(); line != all.rend() && (!title || !folder); ++line) {
    const bool titleLine = !title && contains(*line, kTitleMarker);
    if (!titleLine && (folder || !contains(*line, kFolderMarker))) continue;
    const std::optional<Json> parsed = parseObject(*line);
    if (!parsed) continue;
    if (titleLine) title = textValue(*parsed, "aiTitle");
    if (!folder) folder = textValue(*parsed, "cwd");
  }
  if (!title || !folder) return std::nullopt;
  const bool working = busy.contains(transcript.path.stem().string());
  return AgentSession("Claude Code", *folder, *title, transcript.modified, working);
}

// The thread titles of the Codex index, by session id; a later line for an id renames it.
std::map<std::string, std::string> codexTitles(const fs::path& home) {
  std::map<std::string, std::string> titles;
  const std::string index = tail(home / ".codex" / "session_index.jsonl", kEndBytes);
  for (std::string_view line : lines(index)) {
    const std::optional<Json> entry = parseObject(line);
    if (!entry) continue;
    std::optional<std::string> id = textValue(*entry, "id");
    std::optional<std::string> name = textValue(*entry, "thread_name");
    if (id && name) titles.insert_or_assign(std::move(*id), std::move(*name));
  }
  return titles;
}

// The rollout files below the Codex sessions folder, at any depth, changed at or after `since`.
// Symbolic links to folders are not followed, so a link back up the tree cannot loop the walk.
std::vector<DatedFile> codexRollouts(const fs::path& folder, Date since) {
  std::vector<DatedFile> rollouts;
  std::error_code error;
  fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied,
                                        error);
  size_t walked = 0;
  for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
    if (++walked > kMaxWalkedEntries) {
      log::write(log::Level::debug, "Agent sessions: stopped walking " + folder.string() +
                                        " after " + std::to_string(kMaxWalkedEntries) + " entries");
      break;
    }
    const fs::path& path = walk->path();
    if (!path.filename().string().starts_with(kRolloutPrefix) || path.extension() != ".jsonl") {
      continue;
    }
    const std::optional<Date> modified = modificationDate(path);
    if (modified && *modified >= since) rollouts.push_back({path, *modified});
  }
  return rollouts;
}

// Whether the rollout's last turn marker is a start: an end marker, or none, means the agent is
// not working.
bool codexTurnStarted(const fs::path& rollout) {
  const std::string end = tail(rollout, kEndBytes);
  const std::vector<std::string_view> all = lines(end);
  for (auto line = all.rbegin(); line != all.rend(); ++line) {
    if (contains(*line, kTurnStartedMarker)) return true;
    for (std::string_view marker : kTurnEndMarkers) {
      if (contains(*line, marker)) return false;
    }
  }
  return false;
}

std::optional<AgentSession> codexRollout(const DatedFile& rollout,
                                         const std::map<std::string, std::string>& titles,
                                         Date now) {
  const std::string start = head(rollout.path, static_cast<int64_t>(kEndBytes));
  if (start.empty()) return std::nullopt;
  std::string_view first = start;
  first.remove_prefix(std::min(first.find_first_not_of('\n'), first.size()));
  first = first.substr(0, first.find('\n'));

  const std::optional<Json> meta = parseObject(first);
  if (!meta) return std::nullopt;
  auto payload = meta->find("payload");
  if (payload == meta->end() || !payload->is_object()) return std::nullopt;
  std::optional<std::string> id = textValue(*payload, "id");
  if (!id) id = textValue(*payload, "session_id");
  if (!id) return std::nullopt;
  auto title = titles.find(*id);
  if (title == titles.end()) return std::nullopt;
  const std::optional<std::string> folder = textValue(*payload, "cwd");
  if (!folder) return std::nullopt;

  const bool busy = codexTurnStarted(rollout.path) && now.since(rollout.modified) < kBusyWindow;
  return AgentSession("Codex", *folder, title->second, rollout.modified, busy);
}

// The working folder a workspace.json names: its "folder" URL's path, percent-decoded.
std::optional<std::string> workspaceFolder(const fs::path& workspace) {
  const std::optional<std::string> bytes =
      readWhole(workspace / "workspace.json", kMaxWorkspaceFileBytes);
  if (!bytes) return std::nullopt;
  const std::optional<Json> parsed = parseObject(*bytes);
  if (!parsed) return std::nullopt;
  const std::optional<std::string> folder = textValue(*parsed, "folder");
  if (!folder) return std::nullopt;
  const std::optional<Url> url = Url::parse(*folder);
  if (!url) return std::nullopt;
  return url->decodedPath();
}

}  // namespace

std::vector<DatedFile> files(const fs::path& folder, const std::string& extension, Date since) {
  std::vector<DatedFile> found;
  const std::string wanted = "." + extension;
  for (const fs::path& entry : listFolder(folder)) {
    if (entry.extension() != wanted) continue;
    const std::optional<Date> modified = modificationDate(entry);
    if (modified && *modified >= since) found.push_back({entry, *modified});
  }
  return found;
}

std::string tail(const fs::path& file, uint64_t bytes) {
  return readRange(file, bytes, /*fromEnd=*/true);
}

std::string head(const fs::path& file, int64_t bytes) {
  if (bytes <= 0) return {};
  return readRange(file, static_cast<uint64_t>(bytes), /*fromEnd=*/false);
}

std::vector<AgentSession> claudeCode(const fs::path& home, Date since) {
  const std::set<std::string> busy = busyClaudeSessions(home);
  std::vector<AgentSession> sessions;
  for (const fs::path& project : listFolder(home / ".claude" / "projects")) {
    for (const DatedFile& transcript : files(project, "jsonl", since)) {
      if (auto session = claudeTranscript(transcript, busy))
        sessions.push_back(std::move(*session));
    }
  }
  return sessions;
}

std::vector<AgentSession> codex(const fs::path& home, Date since, Date now) {
  const std::map<std::string, std::string> titles = codexTitles(home);
  if (titles.empty()) return {};
  std::vector<AgentSession> sessions;
  for (const DatedFile& rollout : codexRollouts(home / ".codex" / "sessions", since)) {
    if (auto session = codexRollout(rollout, titles, now)) sessions.push_back(std::move(*session));
  }
  return sessions;
}

std::vector<AgentSession> copilotChat(const fs::path& home, Date since) {
  std::vector<AgentSession> sessions;
  for (const char* editor : kEditors) {
    for (const fs::path& workspace :
         listFolder(home / ".config" / editor / "User" / "workspaceStorage")) {
      const std::vector<DatedFile> chats = files(workspace / "chatSessions", "json", since);
      if (chats.empty()) continue;
      const std::optional<std::string> folder = workspaceFolder(workspace);
      if (!folder) continue;
      for (const DatedFile& chat : chats) {
        const std::optional<std::string> bytes = readWhole(chat.path, kMaxChatFileBytes);
        if (!bytes) continue;
        const std::optional<Json> parsed = parseObject(*bytes);
        if (!parsed) continue;
        const std::optional<std::string> title = textValue(*parsed, "customTitle");
        if (!title) continue;
        sessions.emplace_back("Copilot", *folder, *title, chat.modified, false);
      }
    }
  }
  return sessions;
}

}  // namespace qb::AgentSessions
