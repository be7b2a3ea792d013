// The operations of the main road (intake, tick, away and back, agents) and of the user's
// commands (recording, sharing, browser access) that start-up wires in. Their bodies come with
// those parts of the coordinator; until then the observer's reports, the tick and the share reach
// these and change nothing.

#include "model/AppModel.h"

namespace qb {

void AppModel::share() {}
void AppModel::startRecording(std::string_view) {}
void AppModel::refreshAutomation() {}
void AppModel::refreshAgents() {}
std::optional<std::string> AppModel::category(const std::string&) { return std::nullopt; }
void AppModel::readText(const Snapshot&) {}
void AppModel::endBreak() {}
void AppModel::finish(PromptAction, const OpenPrompt&) {}
void AppModel::learnAgentFolders() {}

}  // namespace qb
