#include <gtest/gtest.h>

#include "analysis/ActivityKind.h"
#include "analysis/Analysis.h"
#include "analysis/AnalyzerConfig.h"

namespace qb {
namespace {

TEST(ActivityKindTest, RawValuesRoundTripAndRejectOtherText) {
  for (ActivityKind kind : kAllActivityKinds) EXPECT_EQ(parseActivityKind(rawValue(kind)), kind);
  EXPECT_EQ(parseActivityKind("Work"), std::nullopt);
  EXPECT_EQ(parseActivityKind(""), std::nullopt);
  EXPECT_EQ(parseActivityKind("work "), std::nullopt);
  EXPECT_TRUE(isLeisure(ActivityKind::entertainment));
  EXPECT_FALSE(isLeisure(ActivityKind::communication));
}

TEST(AnalysisTest, EqualityAndRebinding) {
  Analysis abstained{.observationID = 3, .activityScore = 0.5f, .revision = "r/head"};
  Analysis neutral = abstained;
  neutral.activity = ActivityKind::neutral;
  EXPECT_NE(abstained, neutral);

  Analysis compared = neutral;
  compared.similarities["a"] = 0.2f;
  EXPECT_NE(compared, neutral);

  Analysis moved = compared.rebound(9);
  EXPECT_EQ(moved.observationID, 9u);
  moved.observationID = compared.observationID;
  EXPECT_EQ(moved, compared);
}

TEST(AnalyzerConfigTest, JsonIsStrictAndRoundTrips) {
  Json production = AnalyzerConfig::production.toJson();
  EXPECT_EQ(
      json::dump(production),
      R"({"headAbstain":0.7,"headAbstainUnlisted":0.8,"messagingByList":true,"vagueTitleUnrelated":true})");
  EXPECT_EQ(AnalyzerConfig::fromJson(production), AnalyzerConfig::production);
  EXPECT_EQ(AnalyzerConfig::production, AnalyzerConfig());

  Json extra = production;
  extra["future"] = 1;
  EXPECT_EQ(AnalyzerConfig::fromJson(extra), AnalyzerConfig::production);

  Json missing = production;
  missing.erase("headAbstainUnlisted");
  EXPECT_THROW(AnalyzerConfig::fromJson(missing), Error);
  Json wrongType = production;
  wrongType["messagingByList"] = 1;
  EXPECT_THROW(AnalyzerConfig::fromJson(wrongType), Error);
  wrongType = production;
  wrongType["headAbstain"] = "0.7";
  EXPECT_THROW(AnalyzerConfig::fromJson(wrongType), Error);

  AnalyzerConfig custom{.messagingByList = false, .headAbstain = 0.55f};
  EXPECT_EQ(AnalyzerConfig::fromJson(json::parse(json::dump(custom.toJson()))), custom);
}

}  // namespace
}  // namespace qb
