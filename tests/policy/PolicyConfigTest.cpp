#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "policy/PolicyConfig.h"

namespace qb {
namespace {

// A configuration written by hand in the documented form, every value off its default.
const char* kHandWritten = R"({
  "learnWorkSeconds": 240, "learnWindow": 900.5, "minActivityScore": 0.55, "grace": 2,
  "globalCooldown": 60, "scopeCooldown": 300, "agentWaitLimit": 1200, "contextExpiry": 3600,
  "maxCredit": 45, "learnMinScore": 0.7, "contextSubjects": 3, "contextTitles": 1,
  "subjectSeconds": 30, "sessionHalfLife": 3600, "projectMemory": false,
  "projectCorrections": false, "contextSeparator": " · ", "relatedByOverlap": false,
  "learnFromNonLeisure": false, "switchSimilarity": 0.3, "switchWorkBar": 0.9,
  "siteWarmup": 7200, "newSiteWindow": 600})";

TEST(PolicyConfigTest, WritesTheProductionValuesInFullAndReadsBack) {
  // Every default, in the form each recording session stores: floats at their shortest, counts
  // as integers. Text comparison, so 0.6000000238418579 or 2.0 would show.
  const Json expected = json::parse(R"({
    "learnWorkSeconds": 180.0, "learnWindow": 600.0, "minActivityScore": 0.6, "grace": 1.0,
    "globalCooldown": 120.0, "scopeCooldown": 600.0, "agentWaitLimit": 900.0,
    "contextExpiry": 1800.0, "maxCredit": 90.0, "learnMinScore": 0.6, "contextSubjects": 2,
    "contextTitles": 0, "subjectSeconds": 60.0, "sessionHalfLife": 7200.0, "projectMemory": true,
    "projectCorrections": true, "contextSeparator": ", ", "relatedByOverlap": true,
    "learnFromNonLeisure": true, "switchSimilarity": 0.25, "switchWorkBar": 0.95,
    "siteWarmup": 10800.0, "newSiteWindow": 1800.0})");
  const PolicyConfig config;
  EXPECT_EQ(json::dump(config.toJson()), json::dump(expected));
  EXPECT_EQ(PolicyConfig::fromJson(json::parse(json::dump(config.toJson()))), config);

  PolicyConfig changed = PolicyConfig::fromJson(json::parse(kHandWritten));
  EXPECT_EQ(changed.learnWindow, 900.5);
  EXPECT_EQ(changed.minActivityScore, 0.55f);
  EXPECT_EQ(changed.contextSubjects, 3);
  EXPECT_FALSE(changed.learnFromNonLeisure);
  EXPECT_EQ(changed.contextSeparator, " · ");
  EXPECT_EQ(changed.newSiteWindow, 600);
  EXPECT_EQ(PolicyConfig::fromJson(json::parse(json::dump(changed.toJson()))), changed);
  // Every field differs from its default, so a field that is not read or written shows.
  EXPECT_EQ(json::parse(json::dump(changed.toJson())), json::parse(kHandWritten));
}

// The message of the decoding error, or "<decoded>".
std::string decodingFailure(const Json& object) {
  try {
    PolicyConfig::fromJson(object);
  } catch (const Error& error) {
    EXPECT_EQ(error.domain(), Error::kDecodingDomain);
    return error.what();
  }
  return "<decoded>";
}

TEST(PolicyConfigTest, EveryKeyIsRequiredAndTheFirstBadOneIsNamed) {
  const Json defaults = PolicyConfig().toJson();
  for (const auto& [key, value] : defaults.items()) {
    Json missing = defaults;
    missing.erase(key);
    EXPECT_NE(decodingFailure(missing).find(key), std::string::npos) << key;
  }

  // Declaration order decides which of several bad keys is reported.
  Json bad = defaults;
  bad["newSiteWindow"] = "1800";
  bad["grace"] = true;
  bad["contextSeparator"] = 1;
  std::string message = decodingFailure(bad);
  EXPECT_NE(message.find("grace"), std::string::npos) << message;
  EXPECT_EQ(message.find("newSiteWindow"), std::string::npos) << message;

  for (const auto& [key, value] :
       std::vector<std::pair<std::string, Json>>{{"contextSubjects", 2.5},
                                                 {"contextTitles", "0"},
                                                 {"projectMemory", 1},
                                                 {"contextSeparator", nullptr},
                                                 {"switchWorkBar", "0.95"},
                                                 {"learnWindow", Json::array()}}) {
    Json wrong = defaults;
    wrong[key] = value;
    EXPECT_NE(decodingFailure(wrong).find(key), std::string::npos) << key;
  }
  EXPECT_EQ(decodingFailure(Json::array()).find("<decoded>"), std::string::npos);
  EXPECT_EQ(decodingFailure(Json()).find("<decoded>"), std::string::npos);

  // A whole-valued number is still an integer count.
  Json whole = defaults;
  whole["contextSubjects"] = 4.0;
  EXPECT_EQ(PolicyConfig::fromJson(whole).contextSubjects, 4);
}

}  // namespace
}  // namespace qb
