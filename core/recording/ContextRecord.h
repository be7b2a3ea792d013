// ContextRecord: one event of the work context (formed, updated, expired or restored), with the
// policy's phrase of the work and its recent titles at that time.

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/Date.h"
#include "policy/Policy.h"

namespace qb {

struct ContextRecord {
  // The event words the coordinator passes.
  static constexpr const char* kFormed = "formed";
  static constexpr const char* kUpdated = "updated";
  static constexpr const char* kExpired = "expired";
  static constexpr const char* kRestored = "restored";

  // The summary is the policy's context summary at `at` (its configured subjects, titles and
  // separator, and its project names); absent, with no titles, while it has no work context.
  ContextRecord(std::string event, const Policy& policy, Date at);

  Date at;                             // contexts.at
  std::string event;                   // contexts.event
  std::optional<std::string> summary;  // contexts.summary
  std::vector<std::string> titles;     // contexts.titles (JSON list), newest first

  friend bool operator==(const ContextRecord&, const ContextRecord&) = default;
};

}  // namespace qb
