#include "policy/Presence.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qb {
namespace {

Presence withGaps(const std::string& key, const std::vector<double>& gaps) {
  Presence presence;
  for (double gap : gaps) presence.learn(gap, key);
  return presence;
}

TEST(PresenceTest, FewGapsOrNoKeyGiveBase) {
  Presence presence;
  EXPECT_EQ(presence.base, 120);
  EXPECT_EQ(presence.most, 600);
  EXPECT_EQ(presence.allowance(std::string("example.com")), 120);
  presence = withGaps("example.com", {500, 500, 500, 500});
  EXPECT_EQ(presence.allowance(std::string("example.com")), 120);
  presence.learn(500, "example.com");
  EXPECT_EQ(presence.allowance(std::string("example.com")), 600);
  EXPECT_EQ(presence.allowance(std::nullopt), 120);  // whatever is stored
  EXPECT_EQ(presence.allowance(std::string("other.org")), 120);
}

TEST(PresenceTest, HighPercentileWithHeadroomBetweenBaseAndMost) {
  const std::optional<std::string> key = "k";
  EXPECT_EQ(withGaps("k", {10, 20, 30, 40, 50}).allowance(key), 120);       // 60, raised to base
  EXPECT_EQ(withGaps("k", {300, 100, 250, 150, 200}).allowance(key), 375);  // sorted: 250 decides
  EXPECT_EQ(withGaps("k", {100, 200, 300, 400, 500}).allowance(key), 600);  // exactly most
  EXPECT_EQ(withGaps("k", {100, 200, 300, 900, 500}).allowance(key), 600);

  // With 40 gaps the 36th smallest decides, with 11 the 10th.
  std::vector<double> forty, eleven;
  for (int i = 40; i >= 1; --i) forty.push_back(i * 10.0);
  for (int i = 1; i <= 11; ++i) eleven.push_back(i * 10.0);
  Presence wide = withGaps("k", forty);
  wide.base = 1;
  wide.most = 1000;
  EXPECT_EQ(wide.allowance(key), 1.5 * 360);
  Presence few = withGaps("k", eleven);
  few.base = 1;
  EXPECT_EQ(few.allowance(key), 1.5 * 100);

  // When base exceeds most, most wins.
  Presence inverted = withGaps("k", {10, 10, 10, 10, 10});
  inverted.base = 700;
  EXPECT_EQ(inverted.allowance(key), 600);
}

TEST(PresenceTest, KeepsTheNewestFortyGapsPerKey) {
  std::vector<double> gaps(5, 400.0);
  gaps.insert(gaps.end(), 40, 100.0);
  Presence presence = withGaps("k", gaps);
  presence.base = 1;
  ASSERT_EQ(presence.gaps().at("k").size(), 40u);
  EXPECT_EQ(presence.gaps().at("k"), std::vector<double>(40, 100.0));
  EXPECT_EQ(presence.allowance(std::string("k")), 150);  // the 400s are gone

  // A NaN is no gap: it neither enters nor pushes a real one out.
  presence.learn(std::numeric_limits<double>::quiet_NaN(), "k");
  presence.learn(std::numeric_limits<double>::quiet_NaN(), "new");
  EXPECT_EQ(presence.gaps().at("k"), std::vector<double>(40, 100.0));
  EXPECT_EQ(presence.gaps().count("new"), 0u);
}

TEST(PresenceTest, KeepsThreeHundredKeysNeverDroppingTheOneLearned) {
  Presence presence;
  for (int i = 0; i < 300; ++i) presence.learn(60, "k" + std::to_string(1000 + i));
  ASSERT_EQ(presence.gaps().size(), 300u);
  presence.learn(60, "a");  // sorts first, so the first key is the one just learned
  EXPECT_EQ(presence.gaps().size(), 300u);
  EXPECT_EQ(presence.gaps().count("a"), 1u);
  EXPECT_EQ(presence.gaps().count("k1000"), 0u);
  presence.learn(60, "z");
  EXPECT_EQ(presence.gaps().size(), 300u);
  EXPECT_EQ(presence.gaps().count("z"), 1u);
  EXPECT_EQ(presence.gaps().count("a"), 0u);
  EXPECT_EQ(presence.gaps().count("k1001"), 1u);
  // Learning under a key already present removes nothing.
  presence.learn(60, "k1001");
  EXPECT_EQ(presence.gaps().size(), 300u);
  EXPECT_EQ(presence.gaps().at("k1001").size(), 2u);
}

TEST(PresenceTest, ReadsTheDocumentedFormAndWritesItBack) {
  const char* file = R"({"gaps": {"example.com": [35.5, 40, 1e3], "org.editor": []},
                         "base": 90, "most": 900})";
  Presence presence = Presence::fromJson(json::parse(file));
  EXPECT_EQ(presence.gaps().at("example.com"), (std::vector<double>{35.5, 40, 1000}));
  EXPECT_TRUE(presence.gaps().at("org.editor").empty());
  EXPECT_EQ(presence.base, 90);
  EXPECT_EQ(presence.most, 900);
  EXPECT_EQ(presence.toJson(), json::parse(file));
  EXPECT_EQ(Presence::fromJson(json::parse(json::dump(presence.toJson()))), presence);

  // A full value at its limits, with a base above most, reads back exactly.
  Presence full;
  full.base = 700;
  full.most = 0.5;
  for (int i = 0; i < 320; ++i) full.learn(30 + i % 50 + 0.25, "key" + std::to_string(i % 310));
  EXPECT_EQ(Presence::fromJson(json::parse(json::dump(full.toJson()))), full);
}

TEST(PresenceTest, BrokenFilesFailAndBadLimitsAreRepaired) {
  for (const char* bad : {R"({"base": 120, "most": 600})",
                          R"({"gaps": {}, "most": 600})",
                          R"({"gaps": {}, "base": 120})",
                          R"({"gaps": [], "base": 120, "most": 600})",
                          R"({"gaps": {"a": [1, "2"]}, "base": 120, "most": 600})",
                          R"({"gaps": {"a": 5}, "base": 120, "most": 600})",
                          R"({"gaps": {}, "base": "120", "most": 600})",
                          R"({"gaps": {}, "base": 120, "most": null})", R"([])", R"(3)"}) {
    EXPECT_THROW(Presence::fromJson(json::parse(bad)), Error) << bad;
  }

  // A zero, negative or non-finite limit would make every pause absence, or none; each one
  // falls back to its own default.
  const double inf = std::numeric_limits<double>::infinity();
  for (double broken : {0.0, -30.0, inf, -inf, std::numeric_limits<double>::quiet_NaN()}) {
    Presence presence = Presence::fromJson(Json{{"gaps", Json::object()}, {"base", broken}, {"most", 900}});
    EXPECT_EQ(presence.base, 120) << broken;
    EXPECT_EQ(presence.most, 900) << broken;
    presence = Presence::fromJson(Json{{"gaps", Json::object()}, {"base", 30}, {"most", broken}});
    EXPECT_EQ(presence.base, 30) << broken;
    EXPECT_EQ(presence.most, 600) << broken;
  }
}

TEST(PresenceTest, OversizedFilesAreCutAsLearningWould) {
  Json gaps = Json::object();
  for (int i = 0; i < 1000; ++i) {
    Json list = Json::array();
    for (int g = 0; g < 100; ++g) list.push_back(g);
    gaps["k" + std::to_string(10000 + i)] = list;
  }
  Presence presence = Presence::fromJson(Json{{"gaps", gaps}, {"base", 120}, {"most", 600}});
  ASSERT_EQ(presence.gaps().size(), 300u);
  EXPECT_EQ(presence.gaps().begin()->first, "k10700");  // the last 300 keys
  std::vector<double> newest;
  for (int g = 60; g < 100; ++g) newest.push_back(g);
  EXPECT_EQ(presence.gaps().at("k10999"), newest);

  // Bad content in a key that would be cut still fails the file.
  gaps["a"] = Json::array({"x"});
  EXPECT_THROW(Presence::fromJson(Json{{"gaps", gaps}, {"base", 120}, {"most", 600}}), Error);
}

}  // namespace
}  // namespace qb
