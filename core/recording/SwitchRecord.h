// SwitchRecord: a page analysed while protecting that was unlike the recent work, with how the
// policy read it.

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Analysis.h"
#include "analysis/Moment.h"
#include "base/Date.h"
#include "policy/SwitchReading.h"

namespace qb {

struct SwitchRecord {
  // The fields of the reading, the analysis's activity word and score, the moment's id and site
  // section (WorkSites::section), and the recent work titles the page was compared with.
  SwitchRecord(const SwitchReading& reading, const Analysis& analysis, const Moment& moment,
               std::vector<std::string> work, Date at);

  uint64_t moment = 0;                  // switches.moment
  Date at;                              // switches.at
  float similarity = 0;                 // switches.similarity
  std::optional<std::string> activity;  // switches.activity: absent when the analyser abstained
  float score = 0;                      // switches.score
  std::optional<std::string> site;      // switches.site
  double siteWeight = 0;                // switches.site_weight
  float reading = 0;                    // switches.reading
  std::string verdict;                  // switches.verdict: the verdict's word
  std::vector<std::string> work;        // switches.work (JSON list)

  friend bool operator==(const SwitchRecord&, const SwitchRecord&) = default;
};

}  // namespace qb
