#include <gmock/gmock.h>

#include <cmath>

#include "analysis/ActivityHead.h"
#include "base/File.h"
#include "support/ManualRuntime.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using Lean = SiteKnowledge::Lean;
using Entry = SiteKnowledge::Entry;
using F = ActivityHead::Features;

const Entry kWork{Lean::work, 0.9f, "code"};

class ActivityHeadTest : public ::testing::Test {
protected:
  ActivityHead load(std::string_view text) {
    test::writeFile(dir / "head.json", text);
    return ActivityHead::load(dir / "head.json");
  }
  test::TempDir dir;
};

TEST_F(ActivityHeadTest, LogitAddsTheSiteFeaturesAndCorrectsUnlistedSites) {
  ActivityHead head(std::vector<float>(8, 1.0f), 0.0f, {2.0f, -1.0f});
  const std::vector<float> embedding = {0.1f, 0.2f, 0.3f};
  EXPECT_EQ(head.logit(embedding, kWork), 1.5f);
  EXPECT_EQ(head.logit(embedding, std::nullopt), 2.2f);             // -1 + 2 × 1.6
  EXPECT_FLOAT_EQ(head.probability(embedding, kWork), 0.8175745f);  // sigmoid(1.5)
  // A wrong length scores 0 even for an unlisted site: the correction is not applied.
  EXPECT_EQ(head.probability(std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}, std::nullopt), 0.5f);
  EXPECT_EQ(ActivityHead::features(std::nullopt), (F{0, 0, 0, 0, 1}));
  EXPECT_EQ(ActivityHead::features(Entry{Lean::neutral, 0.5f, ""}), (F{0, 0, 0, 0.5f, 0}));
}

TEST_F(ActivityHeadTest, LogitRoundsEveryProductAndSumToFloat) {
  // w × w = 1 + 2^-11 + 2^-24 exactly; rounded to float it loses the 2^-24 (a tie, to even). A
  // fused multiply-add, or a bias added last, would keep it. The unlisted correction rounds its
  // product before adding the shift. Bias first, then index order: 2^24 + 1 + 1 stays 2^24.
  const float w = 1.0f + std::ldexp(1.0f, -12), big = std::ldexp(1.0f, 24);
  EXPECT_EQ(ActivityHead({w, 0, 0, 0, 0, 0}, -1).logit(std::vector{w}, kWork), std::ldexp(1, -11));
  EXPECT_EQ(ActivityHead({0, 0, 0, 0, 0, 0}, w, {w, -1}).logit(std::vector{0.5f}, {}),
            std::ldexp(1.0f, -11));
  EXPECT_EQ(ActivityHead({1, 1, 0, 0, 0, 0, 0}, big).logit(std::vector{1.0f, 1.0f}, kWork), big);
}

TEST_F(ActivityHeadTest, LoadsWeightsBiasAndUnlistedWithTheirDefaults) {
  auto head = load(R"({"weights": [0.5, -1, 2, 3, 4, 5, 6], "bias": 0.25, "note": "ignored"})");
  EXPECT_EQ(head.weights(), (std::vector<float>{0.5f, -1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(head.bias(), 0.25f);
  // Each missing value takes its own default; anything but an object of finite numbers (a float
  // infinity included) gives both defaults, not just the bad one, and says so.
  test::LogCapture log;
  // clang-format off
  const std::vector<std::tuple<std::string, float, float>> cases = {
      {"", 1, 0}, {R"({"scale": 3})", 3, 0}, {R"({"shift": -2})", 1, -2}, {"[2, -1]", 1, 0}, {"null", 1, 0},
      {R"({"scale": "2", "shift": -1})", 1, 0}, {R"({"scale": 1e39, "shift": -1})", 1, 0},
      {R"({"scale": 2, "shift": -1, "why": "x"})", 1, 0}};
  // clang-format on
  for (const auto& [unlisted, scale, shift] : cases) {
    const std::string member = unlisted.empty() ? "" : R"(, "unlisted": )" + unlisted;
    EXPECT_EQ(load(R"({"weights": [1, 1, 1, 1, 1, 1], "bias": 0)" + member + "}").unlisted(),
              (ActivityHead::Unlisted{scale, shift}))
        << unlisted;
  }
  EXPECT_EQ(log.lines().size(), 5u);
  EXPECT_THAT(log.lines(), testing::Contains(testing::HasSubstr(R"({"scale":1e+39,"shift":-1})")));
}

TEST_F(ActivityHeadTest, RefusesWhatCannotBeAHeadAndPassesReadErrorsOn) {
  // Finite in JSON but infinite as 32-bit floats (1e39) would make every score NaN or infinite.
  // clang-format off
  for (std::string_view bad : {
           "[1, 2, 3, 4, 5, 6]", "{}", R"({"bias": 0})", R"({"weights": {"0": 1}, "bias": 0})",
           R"({"weights": [1, 1, 1, 1, 1], "bias": 0})", R"({"weights": [1, 1, 1, 1, 1, 1]})",
           R"({"weights": [1, 1, "1", 1, 1, 1], "bias": 0})",
           R"({"weights": [1, 1, -1e39, 1, 1, 1], "bias": 0})",
           R"({"weights": [1, 1, 1, 1, 1, 1], "bias": "0"})",
           R"({"weights": [1, 1, 1, 1, 1, 1], "bias": 1e39})"}) {
    EXPECT_THAT([&] { load(bad); }, test::ThrowsError(Error::kFileDomain, 259)) << bad;
  }
  // clang-format on
  // The smallest floats are fine: they round to zero or a denormal, not to infinity.
  EXPECT_NO_THROW(load(R"({"weights": [1e-50, 1, 1, 1, 1, 1], "bias": -1e-40})"));
  EXPECT_THAT([&] { load("{\"weights\": [1, 2"); }, test::ThrowsDecoding());
  EXPECT_THAT([&] { load(std::string(100000, '[') + std::string(100000, ']')); },
              test::ThrowsDecoding("nesting too deep"));
  EXPECT_THAT([&] { ActivityHead::load(dir / "missing.json"); },
              test::ThrowsError(Error::kFileDomain, file::kNoSuchFileCode));
  // The constructor keeps the same invariants.
  // clang-format off
  for (auto make : std::vector<std::function<void()>>{
           [] { ActivityHead(std::vector<float>(5, 1.0f), 0.0f); },
           [] { ActivityHead({1, 1, 1, 1, 1, NAN}, 0.0f); },
           [] { ActivityHead(std::vector<float>(6, 1.0f), INFINITY); },
           [] { ActivityHead(std::vector<float>(6, 1.0f), 0.0f, {NAN, 0}); }}) {
    // clang-format on
    EXPECT_THAT(make, test::ThrowsError(knowledge::kErrorDomain, knowledge::kInvalidHeadCode));
  }
}

TEST_F(ActivityHeadTest, FitsOnlyItsEmbeddingLengthAndCheckNamesBothLengths) {
  std::string many = R"({"bias": 0, "weights": [0)";  // a large head loads whole
  for (int i = 1; i < 100000; ++i) many += ",0.5";
  EXPECT_EQ(load(many + "]}").weights().size(), 100000u);
  const ActivityHead head(std::vector<float>(389, 0.0f), 0.0f);
  EXPECT_FALSE(head.fits(389) || head.fits(383));
  EXPECT_NO_THROW(head.check(384));
  EXPECT_THAT(
      [&] { head.check(768); },
      test::ThrowsError(Error::kFileDomain, 259, "389 weights; an embedding of length 768"));
}

TEST_F(ActivityHeadTest, TextOfASiteIsTitleHostAndFirstPathWordElsewhereProgramAndTitle) {
  // The path word is decoded; blanks it brings are trimmed, line breaks are not.
  // clang-format off
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"Pull requests", "https://www.GitHub.com/acme/a/b", "Pull requests. github.com acme"},
      {"Home", "https://example.org/", "Home. example.org"},
      {"", "https://example.org", ". example.org"},
      {"Home", "https://example.org//a/", "Home. example.org a"},
      {"Wiki", "https://example.org/caf%C3%A9/x", "Wiki. example.org caf\u00e9"},
      {"Wiki", "https://example.org/a%20%C2%A0%09", "Wiki. example.org a"},
      {"Wiki", "https://example.org/a%0A", "Wiki. example.org a\n"},
      {"notes.txt", "file:///home/me/notes.txt", "Firefox. notes.txt"}};  // no host
  // clang-format on
  for (const auto& [title, address, text] : cases) {
    const Moment moment(1, Date(), "Firefox", "firefox", title, Url::parse(address));
    EXPECT_EQ(ActivityHead::text(moment), text) << address;
  }
  EXPECT_EQ(ActivityHead::text(Moment(1, Date(), " Notes\t", "org.example.Notes", "")),
            " Notes\t. ");
}

}  // namespace
}  // namespace qb
