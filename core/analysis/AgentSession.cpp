#include "analysis/AgentSession.h"

#include <algorithm>

namespace qb {

std::string lastPathComponent(const std::string& path) {
  size_t end = path.find_last_not_of('/');
  if (end == std::string::npos) return path.empty() ? std::string() : std::string("/");
  size_t start = path.rfind('/', end);
  start = (start == std::string::npos) ? 0 : start + 1;
  return path.substr(start, end + 1 - start);
}

AgentSession::AgentSession(std::string agentName, std::string folderPath, std::string sessionTitle,
                           Date updatedAt, bool isBusy, std::optional<std::string> projectName)
    : agent(std::move(agentName)),
      folder(std::move(folderPath)),
      title(std::move(sessionTitle)),
      updated(updatedAt),
      busy(isBusy),
      project(projectName ? std::move(*projectName) : lastPathComponent(folder)) {}

std::string AgentSession::task() const {
  if (title.find(' ') != std::string::npos) return title;
  std::string words = title;
  std::replace(words.begin(), words.end(), '-', ' ');
  return words;
}

}  // namespace qb
