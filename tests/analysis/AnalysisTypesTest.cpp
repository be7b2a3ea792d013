#include <gtest/gtest.h>

#include "analysis/ActivityKind.h"
#include "analysis/Analysis.h"
#include "analysis/AnalyzerConfig.h"
#include "support/SavedRecord.h"

namespace qb {
namespace {

TEST(ActivityKindTest, RawValuesRoundTripAndRejectOtherText) {
  for (ActivityKind kind : kAllActivityKinds) EXPECT_EQ(parseActivityKind(rawValue(kind)), kind);
  for (const char* other : {"Work", "", "work "}) EXPECT_EQ(parseActivityKind(other), std::nullopt);
  EXPECT_TRUE(isLeisure(ActivityKind::entertainment));
  EXPECT_FALSE(isLeisure(ActivityKind::communication));
}

TEST(AnalysisTest, ReboundChangesOnlyTheObservation) {
  const Analysis analysis{3, ActivityKind::work, 0.9f, 0.2f, {{"a", 0.2f}}, "r/head", true};
  Analysis moved = analysis.rebound(9);
  EXPECT_EQ(moved.observationID, 9u);
  moved.observationID = 3;
  EXPECT_EQ(moved, analysis);
}

TEST(AnalyzerConfigTest, SavedFormIsStrict) {
  EXPECT_EQ(json::dump(AnalyzerConfig::production.toJson()),
            R"({"headAbstain":0.7,"headAbstainUnlisted":0.8,"messagingByList":true,)"
            R"("vagueTitleUnrelated":true})");
  test::expectReloads(AnalyzerConfig{.messagingByList = false, .headAbstain = 0.55f});
  test::expectHostileVariantsSafe<AnalyzerConfig>(AnalyzerConfig::production.toJson());
  const std::string rest = R"("vagueTitleUnrelated": true, "headAbstainUnlisted": 0.8})";
  test::expectRefused<AnalyzerConfig>(
      {{R"({"messagingByList": true, "vagueTitleUnrelated": true, "headAbstain": 0.7})",
        "headAbstainUnlisted: key not found"},
       {R"({"messagingByList": 1, "headAbstain": 0.7, )" + rest,
        "messagingByList: expected a boolean"},
       {R"({"messagingByList": true, "headAbstain": "0.7", )" + rest,
        "headAbstain: expected a number"}});
  Json extra = AnalyzerConfig::production.toJson();
  extra["future"] = 1;  // a key from a later version is no reason to refuse the file
  EXPECT_EQ(AnalyzerConfig::fromJson(extra), AnalyzerConfig::production);
}

}  // namespace
}  // namespace qb
