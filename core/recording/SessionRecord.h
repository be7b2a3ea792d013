// SessionRecord: one recording session (an application launch with recording on, or each time
// recording is switched on), as the coordinator fills it when the session starts.
//
// The session row's id, model, uid and observation columns are the recorder's own; SystemInfo
// gives the coordinator the application version, operating system and machine model.

#pragma once

#include <string>

#include "analysis/AnalyzerConfig.h"
#include "base/Date.h"
#include "policy/PolicyConfig.h"

namespace qb {

struct SessionRecord {
  Date started;             // sessions.started
  std::string appVersion;   // sessions.app_version
  std::string os;           // sessions.os: the operating system's name and version
  std::string mac;          // sessions.mac: the machine model
  AnalyzerConfig analyzer;  // sessions.analyzer, whole, as JSON
  PolicyConfig policy;      // sessions.policy, whole, as JSON

  friend bool operator==(const SessionRecord&, const SessionRecord&) = default;
};

}  // namespace qb
