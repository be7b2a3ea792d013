#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "policy/Presence.h"
#include "support/SavedRecord.h"

namespace qb {
namespace {

using Gaps = std::vector<double>;
const std::optional<std::string> k = "k";

Presence withGaps(const Gaps& gaps, double base = Presence::kDefaultBase,
                  double most = Presence::kDefaultMost) {
  Presence presence(base, most);
  for (double gap : gaps) presence.learn(gap, "k");
  return presence;
}

TEST(PresenceTest, FewGapsOrNoKeyGiveBase) {
  Presence presence = withGaps({500, 500, 500, 500});
  EXPECT_EQ(presence.allowance(k), 120);
  presence.learn(500, "k");
  EXPECT_EQ(presence.allowance(k), 600);
  EXPECT_EQ(presence.allowance(std::nullopt), 120);  // whatever is stored
  EXPECT_EQ(presence.allowance(std::string("other.org")), 120);
}

TEST(PresenceTest, HighPercentileWithHeadroomBetweenBaseAndMost) {
  EXPECT_EQ(withGaps({10, 20, 30, 40, 50}).allowance(k), 120);       // 60, raised to base
  EXPECT_EQ(withGaps({300, 100, 250, 150, 200}).allowance(k), 375);  // sorted: 250 decides
  EXPECT_EQ(withGaps({100, 200, 300, 400, 500}).allowance(k), 600);  // exactly most
  EXPECT_EQ(withGaps({100, 200, 300, 900, 500}).allowance(k), 600);
  EXPECT_EQ(withGaps({10, 10, 10, 10, 10}, 700).allowance(k), 600);  // base above most: most

  // With 40 gaps the 36th smallest decides, with 11 the 10th.
  Gaps forty, eleven;
  for (int i = 40; i >= 1; --i) forty.push_back(i * 10.0);
  for (int i = 1; i <= 11; ++i) eleven.push_back(i * 10.0);
  EXPECT_EQ(withGaps(forty, 1, 1000).allowance(k), 1.5 * 360);
  EXPECT_EQ(withGaps(eleven, 1).allowance(k), 1.5 * 100);
}

TEST(PresenceTest, KeepsTheNewestFortyGapsPerKeyAndThreeHundredKeys) {
  Gaps gaps(5, 400.0);
  gaps.insert(gaps.end(), 40, 100.0);
  Presence presence = withGaps(gaps, 1);
  EXPECT_EQ(presence.gaps().at("k"), Gaps(40, 100.0));
  EXPECT_EQ(presence.allowance(k), 150);  // the 400s are gone

  // Never dropping the key just learned: "a" sorts first, where the key to drop is looked for.
  Presence keys;
  for (int i = 0; i < 300; ++i) keys.learn(60, "k" + std::to_string(1000 + i));
  keys.learn(60, "a");
  EXPECT_EQ(keys.gaps().size(), 300u);
  EXPECT_EQ(keys.gaps().count("a"), 1u);
  EXPECT_EQ(keys.gaps().count("k1000"), 0u);
  keys.learn(60, "z");
  EXPECT_EQ(keys.gaps().size(), 300u);
  EXPECT_EQ(keys.gaps().count("z"), 1u);
  EXPECT_EQ(keys.gaps().count("a"), 0u);
  EXPECT_EQ(keys.gaps().count("k1001"), 1u);
  keys.learn(60, "k1001");  // a key already present removes nothing
  EXPECT_EQ(keys.gaps().size(), 300u);
  EXPECT_EQ(keys.gaps().at("k1001").size(), 2u);
}

TEST(PresenceTest, FilesReadInTheDocumentedFormAndBadLimitsAreRepaired) {
  const Json file = json::parse(R"({"gaps": {"example.com": [35.5, 40, 1e3], "org.editor": []},
                                    "base": 90, "most": 900})");
  const Presence read = Presence::fromJson(file);
  EXPECT_EQ(read.gaps(), (Presence::Gaps{{"example.com", {35.5, 40, 1000}}, {"org.editor", {}}}));
  EXPECT_EQ(std::pair(read.base(), read.most()), std::pair(90.0, 900.0));
  EXPECT_EQ(read.toJson(), file);
  test::expectHostileVariantsSafe<Presence>(file);
  test::expectRefused<Presence>({
      {R"({"base": 120, "most": 600})", "gaps: key not found"},
      {R"({"gaps": {}, "most": 600})", "base: key not found"},
      {R"({"gaps": {}, "base": 120})", "most: key not found"},
      {R"({"gaps": [], "base": 120, "most": 600})", "gaps: expected an object"},
      {R"({"gaps": {"a": [1, "2"]}, "base": 120, "most": 600})", "gaps: expected a number"},
      {R"({"gaps": {"a": 5}, "base": 120, "most": 600})", "gaps: expected an array of numbers"},
      {R"({"gaps": {}, "base": "120", "most": 600})", "base: expected a number"},
      {R"({"gaps": {}, "base": 120, "most": null})", "most: expected a number"},
      {R"([])", "gaps: expected an object"},
  });

  // A zero or negative limit, in a file or given, would make every pause absence: each falls back
  // to its own default.
  for (double broken : {0.0, -30.0}) {
    SCOPED_TRACE(broken);
    Presence presence =
        Presence::fromJson(Json{{"gaps", Json::object()}, {"base", broken}, {"most", 900}});
    EXPECT_EQ(std::pair(presence.base(), presence.most()), std::pair(120.0, 900.0));
    presence = Presence(30, broken);
    EXPECT_EQ(std::pair(presence.base(), presence.most()), std::pair(30.0, 600.0));
  }
}

TEST(PresenceTest, OversizedFilesAreCutAsLearningWould) {
  Json gaps = Json::object();
  Gaps hundred, newest;
  for (int g = 0; g < 100; ++g) hundred.push_back(g);
  for (int g = 60; g < 100; ++g) newest.push_back(g);
  for (int i = 0; i < 1000; ++i) gaps["k" + std::to_string(10000 + i)] = hundred;
  Presence presence = Presence::fromJson(Json{{"gaps", gaps}, {"base", 120}, {"most", 600}});
  ASSERT_EQ(presence.gaps().size(), 300u);
  EXPECT_EQ(presence.gaps().begin()->first, "k10700");  // the last 300 keys
  EXPECT_EQ(presence.gaps().at("k10999"), newest);

  // Bad content in a key that would be cut still fails the file.
  gaps["a"] = Json::array({"x"});
  EXPECT_THAT(
      [&] {
        Presence::fromJson(Json{{"gaps", gaps}, {"base", 120}, {"most", 600}});
      },
      test::ThrowsDecoding("gaps: expected a number"));
}

}  // namespace
}  // namespace qb
