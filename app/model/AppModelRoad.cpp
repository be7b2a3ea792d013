// The operations of the main road (intake, tick, away and back, agents) and of the user's
// commands (recording, sharing, browser access) that start-up wires in. Their bodies come with
// those parts of the coordinator; until then the observer's reports, the tick and the share reach
// these and change nothing.

#include "model/AppModel.h"

namespace qb {

void AppModel::handle(std::optional<Snapshot> snapshot) {
  if (snapshot) current_ = std::move(snapshot);
}

void AppModel::setAway(bool, std::string_view) {}
void AppModel::tick() {}
void AppModel::share() {}
void AppModel::startRecording(std::string_view) {}
void AppModel::refreshAutomation() {}
void AppModel::refreshAgents() {}
void AppModel::enqueue(const Snapshot&) {}

}  // namespace qb
