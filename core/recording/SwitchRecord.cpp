#include "recording/SwitchRecord.h"

#include <utility>

#include "context/WorkSites.h"

namespace qb {

SwitchRecord::SwitchRecord(const SwitchReading& switchReading, const Analysis& analysis,
                           const Moment& of, std::vector<std::string> workTitles, Date when)
    : moment(of.id),
      at(when),
      similarity(switchReading.similarity),
      score(analysis.activityScore),
      site(WorkSites::section(of)),
      siteWeight(switchReading.siteWeight),
      reading(switchReading.reading),
      verdict(rawValue(switchReading.verdict)),
      work(std::move(workTitles)) {
  if (analysis.activity) activity = std::string(rawValue(*analysis.activity));
}

}  // namespace qb
