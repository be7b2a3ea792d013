// PolicyConfig: every tuning constant of the interruption policy.
//
// The defaults are the production values. Each recording session stores the configuration in use
// whole, so the JSON form is strict: all 23 keys are written, and reading requires every one of
// them, in declaration order: the first key that is missing or has the wrong type fails the whole
// read (qb::Error, decoding domain, naming the key) and the defaults never fill a gap.
// Durations are seconds; scores and similarities are 32-bit floats in 0 to 1.

#pragma once

#include <cstdint>
#include <string>

#include "base/Date.h"
#include "base/JsonFwd.h"
#include "context/WorkContext.h"

namespace qb {

struct PolicyConfig {
  // Counted work needed, while there is no work context, before one is established.
  Duration learnWorkSeconds = 180;
  // How far back learning looks for work titles and counted work.
  Duration learnWindow = 600;
  // Least activity score that counts for drift and for the switch reading.
  float minActivityScore = 0.6f;
  // From the start of a drift until a prompt is due, when no coding agent is awaited.
  Duration grace = 1;
  // No prompt anywhere for this long after a prompt or an answer other than back to work.
  Duration globalCooldown = 120;
  // No prompt on a dismissed scope for this long.
  Duration scopeCooldown = 600;
  // Drift needed while waiting on a coding agent; idle gap still present while one works.
  Duration agentWaitLimit = 900;
  // A context whose last work, or whose user's idle time, is older than this is dropped.
  Duration contextExpiry = 1800;
  // The most one credit step may count.
  Duration maxCredit = 90;
  // Least work score at which a work analysis is learned from as work.
  float learnMinScore = 0.6f;
  // Subjects the context summary names.
  int64_t contextSubjects = 2;
  // Recent work titles the context summary adds after the subjects.
  int64_t contextTitles = 0;
  // Decayed dwell a subject needs to be named.
  Duration subjectSeconds = 60;
  // Half-life of the work context's dwell.
  Duration sessionHalfLife = WorkContext::kDefaultSessionHalfLife;
  // Keep the project memory when the work context is forgotten or expires.
  bool projectMemory = true;
  // An answer that a page is for work confirms the projects its title mentions.
  bool projectCorrections = true;
  // Joins the parts of the context summary.
  std::string contextSeparator = ", ";
  // A page may be related to the work by sharing content words with the context titles.
  bool relatedByOverlap = true;
  // Also learn from analyses that are not leisure.
  bool learnFromNonLeisure = true;
  // Similarity to recent work at or above which the front page is the same task.
  float switchSimilarity = 0.25f;
  // Switch reading at or above which work on a page counts as other work.
  float switchWorkBar = 0.95f;
  // Recorded work seconds the work-site memory needs before unknown sites count as distractions.
  Duration siteWarmup = 10800;
  // A site first visited less than this long ago is new.
  Duration newSiteWindow = 1800;

  Json toJson() const;
  // Throws qb::Error (decoding domain) for the first key, in declaration order, that is missing
  // or has the wrong type.
  static PolicyConfig fromJson(const Json& json);

  friend bool operator==(const PolicyConfig&, const PolicyConfig&) = default;
};

}  // namespace qb
