#include "policy/PolicyConfig.h"

#include "base/Json.h"

namespace qb {

Json PolicyConfig::toJson() const {
  Json object = Json::object();
  object["learnWorkSeconds"] = json::encode(learnWorkSeconds);
  object["learnWindow"] = json::encode(learnWindow);
  object["minActivityScore"] = json::encode(minActivityScore);
  object["grace"] = json::encode(grace);
  object["globalCooldown"] = json::encode(globalCooldown);
  object["scopeCooldown"] = json::encode(scopeCooldown);
  object["agentWaitLimit"] = json::encode(agentWaitLimit);
  object["contextExpiry"] = json::encode(contextExpiry);
  object["maxCredit"] = json::encode(maxCredit);
  object["learnMinScore"] = json::encode(learnMinScore);
  object["contextSubjects"] = json::encode(contextSubjects);
  object["contextTitles"] = json::encode(contextTitles);
  object["subjectSeconds"] = json::encode(subjectSeconds);
  object["sessionHalfLife"] = json::encode(sessionHalfLife);
  object["projectMemory"] = json::encode(projectMemory);
  object["projectCorrections"] = json::encode(projectCorrections);
  object["contextSeparator"] = json::encode(contextSeparator);
  object["relatedByOverlap"] = json::encode(relatedByOverlap);
  object["learnFromNonLeisure"] = json::encode(learnFromNonLeisure);
  object["switchSimilarity"] = json::encode(switchSimilarity);
  object["switchWorkBar"] = json::encode(switchWorkBar);
  object["siteWarmup"] = json::encode(siteWarmup);
  object["newSiteWindow"] = json::encode(newSiteWindow);
  return object;
}

PolicyConfig PolicyConfig::fromJson(const Json& object) {
  // Read in declaration order so that the error names the first bad key.
  PolicyConfig config;
  config.learnWorkSeconds = json::require<double>(object, "learnWorkSeconds");
  config.learnWindow = json::require<double>(object, "learnWindow");
  config.minActivityScore = json::require<float>(object, "minActivityScore");
  config.grace = json::require<double>(object, "grace");
  config.globalCooldown = json::require<double>(object, "globalCooldown");
  config.scopeCooldown = json::require<double>(object, "scopeCooldown");
  config.agentWaitLimit = json::require<double>(object, "agentWaitLimit");
  config.contextExpiry = json::require<double>(object, "contextExpiry");
  config.maxCredit = json::require<double>(object, "maxCredit");
  config.learnMinScore = json::require<float>(object, "learnMinScore");
  config.contextSubjects = json::require<int64_t>(object, "contextSubjects");
  config.contextTitles = json::require<int64_t>(object, "contextTitles");
  config.subjectSeconds = json::require<double>(object, "subjectSeconds");
  config.sessionHalfLife = json::require<double>(object, "sessionHalfLife");
  config.projectMemory = json::require<bool>(object, "projectMemory");
  config.projectCorrections = json::require<bool>(object, "projectCorrections");
  config.contextSeparator = json::require<std::string>(object, "contextSeparator");
  config.relatedByOverlap = json::require<bool>(object, "relatedByOverlap");
  config.learnFromNonLeisure = json::require<bool>(object, "learnFromNonLeisure");
  config.switchSimilarity = json::require<float>(object, "switchSimilarity");
  config.switchWorkBar = json::require<float>(object, "switchWorkBar");
  config.siteWarmup = json::require<double>(object, "siteWarmup");
  config.newSiteWindow = json::require<double>(object, "newSiteWindow");
  return config;
}

}  // namespace qb
