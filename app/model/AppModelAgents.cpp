// The coding agents beside the work: their sessions read off the main thread, the wait on the
// agent of the current work told to the policy, and the agents' folders learned as projects.

#include "agents/AgentSessions.h"
#include "base/Error.h"
#include "base/Log.h"
#include "model/AppModel.h"
#include "platform/Paths.h"
#include "recording/Recorder.h"
#include "sensing/Prefs.h"

namespace qb {
namespace {

// The user's home folder, or none (logged) when the account has none: no agent store to read.
std::optional<std::filesystem::path> homeFolder() {
  try {
    return paths::home();
  } catch (const Error& error) {
    log::error(std::string("Coding agents: no home folder to read their sessions from: ") +
               error.what());
    return std::nullopt;
  }
}

// The sessions changed since `since`; a read that throws counts as none, so the wait never sticks
// on a failed read.
std::vector<AgentSession> readSessions(const std::filesystem::path& home, Date since, Date now) {
  try {
    return AgentSessions::recent(home, since, now);
  } catch (const std::exception& error) {
    log::error(std::string("Coding agents: reading their sessions failed: ") + error.what());
    return {};
  }
}

}  // namespace

void AppModel::refreshAgents() {
  const Date now = services_.wallClock.now();
  // A slow disk must not pile reads up behind one another: the one in flight brings the list.
  if (readingAgents_ || now.since(agentsRead_) < kAgentReadSpacing) return;
  const std::optional<std::filesystem::path> home = homeFolder();
  if (!home) return;
  agentsRead_ = now;
  readingAgents_ = true;
  const Date since = now - policy_.config.sessionHalfLife;
  inBackground(
      *reader_, [home = *home, since, now] { return readSessions(home, since, now); },
      [this](std::vector<AgentSession> sessions) {
        readingAgents_ = false;
        assign(agentSessions_, std::move(sessions), Property::agentSessions);
        updateAgentWait();
      });
}

void AppModel::learnAgentFolders() {
  const Date now = services_.wallClock.now();
  if (now.since(agentFoldersRead_) <= kAgentFoldersInterval) return;
  const std::optional<std::filesystem::path> home = homeFolder();
  if (!home) return;
  agentFoldersRead_ = now;
  inBackground(
      *reader_,
      [home = *home, since = now - kAgentFoldersLookBack, now] {
        return AgentSessions::projectFolders(readSessions(home, since, now), home);
      },
      [this](std::vector<std::string> folders) {
        policy_.learnAgentFolders(folders, services_.wallClock.now());
        saveProjects();
      });
}

void AppModel::updateAgentWait() {
  std::optional<AgentSession> current;
  if (lastWorkAgent_) {
    for (const AgentSession& session : agentSessions_) {
      if (session.agent == lastWorkAgent_->agent && session.folder == lastWorkAgent_->folder) {
        current = session;
        break;
      }
    }
  }
  assign(workAgent_, current, Property::workAgent);
  const bool done = current && !current->busy;
  const bool waiting = prefs_->waitForAgents() && current && current->busy;
  if (waiting == policy_.waitingOnAgent) return;
  policy_.waitingOnAgent = waiting;
  if (recorder_) {
    const char* event = waiting ? "agent working" : done ? "agent done" : "agent wait off";
    recorder_->system(event, std::nullopt, current ? std::optional(current->agent) : std::nullopt,
                      services_.wallClock.now());
  }
  if (agentPoll_) services_.timers.cancel(*agentPoll_);
  agentPoll_.reset();
  if (waiting) {
    scheduleAgentPoll();
    return;
  }
  if (policy_.driftSeconds(services_.wallClock.now())) {
    // The one tick that may word its prompt for the agent that has just finished.
    agentDone_ = done ? current : std::nullopt;
    tick();
    agentDone_.reset();
  }
}

void AppModel::scheduleAgentPoll() {
  agentPoll_ = services_.timers.schedule(kAgentPollInterval, [this] {
    scheduleAgentPoll();
    refreshAgents();
  });
}

}  // namespace qb
