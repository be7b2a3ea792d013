#include "sensing/Media.h"

#include <charconv>
#include <fstream>
#include <string>

#include "platform/MediaPlayers.h"

namespace qb::Media {

std::optional<pid_t> processParent(pid_t pid) {
  if (pid <= 0) return std::nullopt;
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(file, line)) return std::nullopt;
  // "<pid> (<name>) <state> <ppid> ...": the name may hold spaces and parentheses of its own, so
  // the fields are counted from the last closing parenthesis.
  size_t close = line.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  size_t state = line.find_first_not_of(' ', close + 1);
  if (state == std::string::npos) return std::nullopt;
  size_t parent = line.find_first_not_of(' ', state + 1);
  if (parent == std::string::npos) return std::nullopt;
  pid_t value = 0;
  const char* end = line.data() + line.size();
  auto [rest, error] = std::from_chars(line.data() + parent, end, value);
  if (error != std::errc() || (rest != end && *rest != ' ')) return std::nullopt;
  return value;
}

bool isPlaying(const MediaPlayers& players, pid_t pid, const ParentLookup& parentOf) {
  // No process has a non-positive id, and the first process and kernel threads have parent 0.
  if (pid <= 0) return false;
  for (pid_t owner : players.playingProcesses()) {
    if (owner == pid) return true;
    std::optional<pid_t> parent = parentOf(owner);
    if (parent && *parent == pid) return true;
  }
  return false;
}

}  // namespace qb::Media
