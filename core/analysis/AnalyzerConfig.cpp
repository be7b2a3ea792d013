#include "analysis/AnalyzerConfig.h"

#include "base/Json.h"

namespace qb {

Json AnalyzerConfig::toJson() const {
  return Json{{"messagingByList", messagingByList},
              {"vagueTitleUnrelated", vagueTitleUnrelated},
              {"headAbstain", json::encode(headAbstain)},
              {"headAbstainUnlisted", json::encode(headAbstainUnlisted)}};
}

AnalyzerConfig AnalyzerConfig::fromJson(const Json& object) {
  AnalyzerConfig config;
  config.messagingByList = json::require<bool>(object, "messagingByList");
  config.vagueTitleUnrelated = json::require<bool>(object, "vagueTitleUnrelated");
  config.headAbstain = json::require<float>(object, "headAbstain");
  config.headAbstainUnlisted = json::require<float>(object, "headAbstainUnlisted");
  return config;
}

}  // namespace qb
