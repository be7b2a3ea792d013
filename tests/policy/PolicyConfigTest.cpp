#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "policy/PolicyConfig.h"
#include "support/SavedRecord.h"

namespace qb {
namespace {

// A configuration written by hand in the form each recording session stores, every value off its
// default so that a field that is not read or written shows: durations as doubles, scores at
// their shortest (a float written as 0.550000011920929 would show), counts as integers.
const char* kHandWritten =
    R"({"agentWaitLimit":1200.0,"contextExpiry":3600.0,"contextSeparator":" · ",)"
    R"("contextSubjects":3,"contextTitles":1,"globalCooldown":60.0,"grace":2.0,)"
    R"("learnFromNonLeisure":false,"learnMinScore":0.7,"learnWindow":900.5,)"
    R"("learnWorkSeconds":240.0,"maxCredit":45.0,"minActivityScore":0.55,"newSiteWindow":600.0,)"
    R"("projectCorrections":false,"projectMemory":false,"relatedByOverlap":false,)"
    R"("scopeCooldown":300.0,"sessionHalfLife":3600.0,"siteWarmup":7200.0,"subjectSeconds":30.0,)"
    R"("switchSimilarity":0.3,"switchWorkBar":0.9})";

TEST(PolicyConfigTest, EveryFieldIsWrittenAndReadBack) {
  const PolicyConfig changed = PolicyConfig::fromJson(json::parse(kHandWritten));
  EXPECT_EQ(changed.minActivityScore, 0.55f);
  EXPECT_EQ(changed.contextSeparator, " · ");
  EXPECT_EQ(json::dump(changed.toJson()), kHandWritten);
  test::expectReloads(PolicyConfig());
  test::expectHostileVariantsSafe<PolicyConfig>(json::parse(kHandWritten));
  // A whole-valued number is still an integer count.
  Json whole = json::parse(kHandWritten);
  whole["contextSubjects"] = 4.0;
  EXPECT_EQ(PolicyConfig::fromJson(whole).contextSubjects, 4);
}

TEST(PolicyConfigTest, EveryKeyIsRequiredAndTheFirstBadOneIsNamed) {
  const Json good = json::parse(kHandWritten);
  std::vector<test::Refusal> refusals = {
      {"[]", "learnWorkSeconds: expected an object"},
      {"null", "learnWorkSeconds: expected an object"},
  };
  for (const auto& [key, value] : good.items()) {
    Json missing = good;
    missing.erase(key);
    refusals.push_back({json::dump(missing), key + ": key not found"});
  }
  for (const auto& [key, value, reason] : std::vector<std::tuple<std::string, Json, std::string>>{
           {"contextSubjects", 2.5, "expected an integer"},
           {"contextTitles", "0", "expected an integer"},
           {"projectMemory", 1, "expected a boolean"},
           {"contextSeparator", nullptr, "expected a string"},
           {"switchWorkBar", "0.95", "expected a number"},
           {"learnWindow", Json::array(), "expected a number"}}) {
    Json wrong = good;
    wrong[key] = value;
    refusals.push_back({json::dump(wrong), key + ": " + reason});
  }
  // Declaration order decides which of several bad keys is reported.
  Json bad = good;
  bad["newSiteWindow"] = "1800";
  bad["grace"] = true;
  bad["contextSeparator"] = 1;
  refusals.push_back({json::dump(bad), "grace: expected a number"});
  test::expectRefused<PolicyConfig>(refusals);
}

}  // namespace
}  // namespace qb
