#include "recording/ContextRecord.h"

#include <utility>

namespace qb {

ContextRecord::ContextRecord(std::string word, const Policy& policy, Date when)
    : at(when), event(std::move(word)), summary(policy.contextSummary(when)) {
  if (policy.context())
    titles.assign(policy.context()->titles.begin(), policy.context()->titles.end());
}

}  // namespace qb
