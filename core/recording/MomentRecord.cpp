#include "recording/MomentRecord.h"

#include "analysis/Redaction.h"

namespace qb {

MomentRecord::MomentRecord(const Moment& moment)
    : id(moment.id),
      start(moment.time),
      appName(moment.appName),
      bundleID(moment.bundleID),
      title(moment.title),
      url(Redaction::url(moment.url)),
      host(moment.host()),
      document(moment.document) {
  if (moment.agent) {
    agent = moment.agent->agent;
    agentTask = moment.agent->title;
  }
}

MomentRecord::MomentRecord(Date excludedStart) : start(excludedStart), excluded(true) {}

MomentRecord MomentRecord::excludedAt(Date at) { return MomentRecord(at); }

}  // namespace qb
