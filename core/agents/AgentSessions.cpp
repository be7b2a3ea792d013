#include "agents/AgentSessions.h"

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <string_view>

#include "agents/SessionStores.h"
#include "base/Error.h"
#include "base/File.h"
#include "base/Text.h"

namespace qb::AgentSessions {
namespace {

namespace fs = std::filesystem;

// A ".git" file holds one "gitdir:" line; anything much larger is not one.
constexpr uint64_t kMaxGitFileBytes = 64 << 10;

// Where a linked worktree's ".git" file points: inside the main repository's ".git" folder.
constexpr std::string_view kWorktreesMarker = "/.git/worktrees/";
constexpr std::string_view kGitDirLabel = "gitdir: ";

// A folder right below home that holds applications' data rather than the user's projects.
constexpr std::string_view kApplicationDataFolder = "Library";

// What cuts a window title into words besides white space. The hyphen, the dot and the underscore
// are left out: they join the parts of project names ("my-app", "site.io", "my_tool").
constexpr std::u32string_view kWordSeparators = U"\u2014\u2013|:()[]/\\\"'";

using Components = std::vector<std::string>;

// The standardized path's components: "." dropped, ".." taking the previous component away (never
// the root), links left as they are; an absolute path starts with "/".
Components components(const fs::path& path) {
  const std::string& text = path.native();
  Components parts;
  const bool absolute = text.starts_with('/');
  if (absolute) parts.emplace_back("/");
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = std::min(text.find('/', start), text.size());
    std::string_view part(text.data() + start, end - start);
    if (part == "..") {
      if (!parts.empty() && parts.back() != "/" && parts.back() != "..") {
        parts.pop_back();
      } else if (!absolute) {
        parts.emplace_back(part);
      }
    } else if (!part.empty() && part != ".") {
      parts.emplace_back(part);
    }
    start = end + 1;
  }
  return parts;
}

enum class GitEntry { none, folder, file };

// What `gitPath` names, links followed; a path that cannot be looked at holds nothing.
GitEntry gitEntry(const std::string& gitPath) {
  struct stat info {};
  if (::stat(gitPath.c_str(), &info) != 0) return GitEntry::none;
  return S_ISDIR(info.st_mode) ? GitEntry::folder : GitEntry::file;
}

// The deepest folder of `parts`, still deeper than home, that holds a ".git" entry. Only
// component counts are compared, so a deep folder outside home is walked as well.
struct GitFolder {
  size_t depth;         // the folder's components: parts[depth - 1] is its name
  GitEntry entry;       // never none
  std::string gitPath;  // the folder's ".git"
};

std::optional<GitFolder> nearestGit(const Components& parts, size_t homeDepth) {
  // Every folder on the way up is a prefix of the deepest one: the walk cuts one buffer back
  // rather than joining each folder anew, so a path thousands deep costs its length, not its
  // depth times its length.
  std::string path;
  std::vector<size_t> ends;
  ends.reserve(parts.size());
  for (const std::string& part : parts) {
    if (!path.empty() && !path.ends_with('/')) path += '/';
    path += part;
    ends.push_back(path.size());
  }
  for (size_t depth = parts.size(); depth > homeDepth; --depth) {
    path.resize(ends[depth - 1]);
    path += path.ends_with('/') ? ".git" : "/.git";
    const GitEntry entry = gitEntry(path);
    if (entry != GitEntry::none) return GitFolder{depth, entry, std::move(path)};
  }
  return std::nullopt;
}

// The main repository's folder name, when a ".git" file points into its worktrees; else the name
// of the folder that holds the file (a submodule, or a file we cannot read).
std::string linkedRepository(const std::string& gitFile, const std::string& folderName) {
  std::string text;
  try {
    text = file::readText(gitFile, kMaxGitFileBytes);
  } catch (const Error&) {
    return folderName;
  }
  const size_t marker = text.find(kWorktreesMarker);
  if (marker == std::string::npos) return folderName;
  std::string gitDir = text.substr(0, marker);
  for (size_t at; (at = gitDir.find(kGitDirLabel)) != std::string::npos;) {
    gitDir.erase(at, kGitDirLabel.size());
  }
  return lastPathComponent(text::trimmed(gitDir));
}

// The project of the nearest folder from `parts` upward, still deeper than home, that holds a
// ".git"; absent when none does.
std::optional<std::string> nearestRepository(const Components& parts, size_t homeDepth) {
  const std::optional<GitFolder> found = nearestGit(parts, homeDepth);
  if (!found) return std::nullopt;
  const std::string& name = parts[found->depth - 1];
  return found->entry == GitEntry::folder ? name : linkedRepository(found->gitPath, name);
}

std::set<std::string> titleWords(const std::string& title) {
  std::set<std::string> words;
  std::u32string word;
  auto finish = [&] {
    if (!word.empty()) words.insert(text::encode(word));
    word.clear();
  };
  for (char32_t c : text::decode(text::lowercased(title))) {
    if (text::isWhitespace(c) || kWordSeparators.find(c) != std::u32string_view::npos) {
      finish();
    } else {
      word.push_back(c);
    }
  }
  finish();
  return words;
}

}  // namespace

std::optional<std::string> repository(const fs::path& folder, const fs::path& home) {
  const Components parts = components(folder);
  const Components homeParts = components(home);
  if (auto name = nearestRepository(parts, homeParts.size())) return name;

  if (parts.empty()) return std::nullopt;
  const bool insideHome = parts.size() >= homeParts.size() &&
                          std::equal(homeParts.begin(), homeParts.end(), parts.begin());
  if (!insideHome) return parts.back();
  if (parts.size() < homeParts.size() + 2) return std::nullopt;
  const std::string& first = parts[homeParts.size()];
  const std::string& second = parts[homeParts.size() + 1];
  // Hidden folders and application data hold tools' files, not the user's projects.
  if (first.starts_with('.') || first == kApplicationDataFolder || second.starts_with('.')) {
    return std::nullopt;
  }
  return second;
}

bool inRepository(const fs::path& folder, const fs::path& home) {
  return nearestGit(components(folder), components(home).size()).has_value();
}

std::vector<AgentSession> recent(const fs::path& home, Date since, Date now) {
  std::vector<AgentSession> found = claudeCode(home, since);
  for (auto* more : {&codex, &opencode}) {
    std::vector<AgentSession> sessions = more(home, since, now);
    std::move(sessions.begin(), sessions.end(), std::back_inserter(found));
  }
  std::vector<AgentSession> chats = copilotChat(home, since);
  std::move(chats.begin(), chats.end(), std::back_inserter(found));

  std::vector<AgentSession> named;
  named.reserve(found.size());
  for (AgentSession& session : found) {
    std::optional<std::string> project = repository(session.folder, home);
    named.emplace_back(std::move(session.agent), std::move(session.folder),
                       std::move(session.title), session.updated, session.busy, std::move(project));
  }
  std::stable_sort(named.begin(), named.end(), [](const AgentSession& a, const AgentSession& b) {
    return a.updated > b.updated;
  });
  return named;
}

std::vector<std::string> projectFolders(const std::vector<AgentSession>& sessions,
                                        const fs::path& home) {
  std::vector<std::string> names;
  for (const AgentSession& session : sessions) {
    std::optional<std::string> name = repository(session.folder, home);
    if (name && std::find(names.begin(), names.end(), *name) == names.end()) {
      names.push_back(std::move(*name));
    }
  }
  return names;
}

std::optional<AgentSession> session(const Moment& moment,
                                    const std::vector<AgentSession>& sessions) {
  if (moment.url) return std::nullopt;
  const std::set<std::string> words = titleWords(moment.title);
  for (const AgentSession& candidate : sessions) {
    if (words.contains(text::lowercased(candidate.project)) ||
        words.contains(text::lowercased(lastPathComponent(candidate.folder)))) {
      return candidate;
    }
  }
  return std::nullopt;
}

}  // namespace qb::AgentSessions
