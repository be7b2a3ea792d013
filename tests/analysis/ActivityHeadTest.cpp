#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/ActivityHead.h"
#include "base/Error.h"
#include "base/File.h"

namespace qb {
namespace {

using Lean = SiteKnowledge::Lean;
using Entry = SiteKnowledge::Entry;
using Unlisted = ActivityHead::Unlisted;

const Entry kWork{Lean::work, 0.9f, "code"};

// Writes each text to a file of its own in a scratch folder and loads it from there.
class ActivityHeadTest : public ::testing::Test {
protected:
  ActivityHeadTest() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qb-head-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
  }
  ~ActivityHeadTest() override { std::filesystem::remove_all(dir_); }

  ActivityHead load(std::string_view text) {
    const auto file = dir_ / ("head" + std::to_string(++files_) + ".json");
    std::ofstream(file, std::ios::binary) << text;
    return ActivityHead::load(file);
  }
  // The error that loading text throws, or absent when it loads.
  std::optional<Error> loadError(std::string_view text) {
    try {
      load(text);
    } catch (const Error& error) {
      return error;
    }
    return std::nullopt;
  }
  static bool isCorrupt(const std::optional<Error>& error) {
    return error && error->domain() == Error::kFileDomain &&
           error->code() == Error::kFileReadCorruptCode;
  }

  std::filesystem::path dir_;
  int files_ = 0;
};

TEST_F(ActivityHeadTest, LogitAddsTheSiteFeaturesAndCorrectsUnlistedSites) {
  ActivityHead head(std::vector<float>(8, 1.0f), 0.0f, {2.0f, -1.0f});
  const std::vector<float> embedding = {0.1f, 0.2f, 0.3f};
  EXPECT_EQ(head.logit(embedding, kWork), 1.5f);
  EXPECT_EQ(head.logit(embedding, std::nullopt), 2.2f);  // -1 + 2 × 1.6
  EXPECT_EQ(head.probability(embedding, kWork), 1.0f / (1.0f + std::exp(-1.5f)));

  // Wrong lengths score 0 whether or not the site is listed: the correction is not applied.
  for (const std::vector<float>& wrong : {std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}, {}}) {
    EXPECT_EQ(head.logit(wrong, kWork), 0.0f);
    EXPECT_EQ(head.logit(wrong, std::nullopt), 0.0f);
    EXPECT_EQ(head.probability(wrong, std::nullopt), 0.5f);
  }

  using F = ActivityHead::Features;
  EXPECT_EQ(ActivityHead::features(std::nullopt), (F{0, 0, 0, 0, 1}));
  EXPECT_EQ(ActivityHead::features(Entry{Lean::work, 0.9f, ""}), (F{0.9f, 0, 0, 0, 0}));
  EXPECT_EQ(ActivityHead::features(Entry{Lean::leisure, 0.7f, ""}), (F{0, 0.7f, 0, 0, 0}));
  EXPECT_EQ(ActivityHead::features(Entry{Lean::mixed, 0.6f, ""}), (F{0, 0, 0.6f, 0, 0}));
  EXPECT_EQ(ActivityHead::features(Entry{Lean::neutral, 0.5f, ""}), (F{0, 0, 0, 0.5f, 0}));
}

TEST_F(ActivityHeadTest, LogitRoundsEveryProductAndSumToFloat) {
  // w × w = 1 + 2^-11 + 2^-24 exactly; rounded to float it loses the 2^-24 (a tie, to even). A
  // fused multiply-add, or a bias added last, would keep it.
  const float w = 1.0f + std::ldexp(1.0f, -12);
  ActivityHead head({w, 0, 0, 0, 0, 0}, -1.0f);
  EXPECT_EQ(head.logit(std::vector<float>{w}, kWork), std::ldexp(1.0f, -11));

  // The unlisted correction rounds its product before adding the shift.
  ActivityHead shifted({0, 0, 0, 0, 0, 0}, w, {w, -1.0f});
  EXPECT_EQ(shifted.logit(std::vector<float>{0.5f}, std::nullopt), std::ldexp(1.0f, -11));

  // Bias first, then index order: 2^24 + 1 + 1 stays 2^24 in float, 1 + 1 + 2^24 does not.
  const float big = std::ldexp(1.0f, 24);
  ActivityHead ordered({1, 1, 0, 0, 0, 0, 0}, big);
  EXPECT_EQ(ordered.logit(std::vector<float>{1, 1}, kWork), big);
}

TEST_F(ActivityHeadTest, LoadsWeightsBiasAndUnlistedWithTheirDefaults) {
  auto head = load(R"({"weights": [0.5, -1, 2, 3, 4, 5, 6], "bias": 0.25,
                       "unlisted": {"scale": 2, "shift": -1}, "note": "ignored"})");
  EXPECT_EQ(head.weights(), (std::vector<float>{0.5f, -1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(head.bias(), 0.25f);
  EXPECT_EQ(head.unlisted(), (Unlisted{2.0f, -1.0f}));
  EXPECT_TRUE(head.fits(2));

  // Each missing value takes its own default; anything but an object of finite numbers (a float
  // infinity included) gives both defaults, not just the bad one.
  for (const auto& [json, expected] : std::vector<std::pair<std::string, Unlisted>>{
           {"", {1, 0}},
           {R"({"scale": 3})", {3, 0}},
           {R"({"shift": -2})", {1, -2}},
           {"[2, -1]", {1, 0}},
           {"null", {1, 0}},
           {R"({"scale": "2", "shift": -1})", {1, 0}},
           {R"({"scale": 2, "shift": -1, "why": "tuned"})", {1, 0}},
           {R"({"scale": 1e39, "shift": -1})", {1, 0}}}) {
    const std::string member = json.empty() ? "" : R"(, "unlisted": )" + json;
    EXPECT_EQ(load(R"({"weights": [1, 1, 1, 1, 1, 1], "bias": 0)" + member + "}").unlisted(),
              expected)
        << json;
  }
}

TEST_F(ActivityHeadTest, RejectsContentThatCannotBeAHead) {
  for (std::string_view bad : {
           R"([1, 2, 3, 4, 5, 6])",
           R"({})",
           R"("weights")",
           R"({"bias": 0})",
           R"({"weights": [1, 1, 1, 1, 1], "bias": 0})",
           R"({"weights": [1, 1, 1, 1, 1, 1], "bias": "0"})",
           R"({"weights": [1, 1, 1, 1, 1, 1]})",
           R"({"weights": [1, 1, "1", 1, 1, 1], "bias": 0})",
           R"({"weights": [1, 1, true, 1, 1, 1], "bias": 0})",
           R"({"weights": {"0": 1}, "bias": 0})",
           // Finite in JSON, infinite as 32-bit floats: every score would be NaN or infinite.
           R"({"weights": [1, 1, 1e39, 1, 1, 1], "bias": 0})",
           R"({"weights": [1, 1, 1, 1, 1, -1e300], "bias": 0})",
           R"({"weights": [1, 1, 1, 1, 1, 1], "bias": 1e39})",
       }) {
    EXPECT_TRUE(isCorrupt(loadError(bad))) << bad;
  }
  // The smallest floats are fine: they round to zero or a denormal, not to infinity.
  EXPECT_FALSE(loadError(R"({"weights": [1e-50, 1, 1, 1, 1, 1], "bias": -1e-40})"));
  // The constructor keeps the same invariants.
  EXPECT_THROW(ActivityHead(std::vector<float>(5, 1.0f), 0.0f), std::invalid_argument);
  EXPECT_THROW(ActivityHead({1, 1, 1, 1, 1, NAN}, 0.0f), std::invalid_argument);
  EXPECT_THROW(ActivityHead(std::vector<float>(6, 1.0f), INFINITY), std::invalid_argument);
  EXPECT_THROW(ActivityHead(std::vector<float>(6, 1.0f), 0.0f, {NAN, 0}), std::invalid_argument);
}

TEST_F(ActivityHeadTest, PassesReadAndParseErrorsOnAndSurvivesHostileFiles) {
  auto notJson = loadError("{\"weights\": [1, 2");
  ASSERT_TRUE(notJson);
  EXPECT_EQ(notJson->domain(), Error::kDecodingDomain);
  auto deep = loadError(std::string(100000, '[') + std::string(100000, ']'));
  ASSERT_TRUE(deep);
  EXPECT_FALSE(isCorrupt(deep));
  try {
    ActivityHead::load(dir_ / "missing.json");
    ADD_FAILURE() << "a missing file loaded";
  } catch (const Error& error) {
    EXPECT_EQ(error.domain(), Error::kFileDomain);
    EXPECT_EQ(error.code(), file::kNoSuchFileCode);
  }

  // A large head loads whole; it just does not fit a small embedder.
  std::string many = R"({"bias": 0, "weights": [0)";
  for (int i = 1; i < 100000; ++i) many += ",0.5";
  auto head = load(many + "]}");
  EXPECT_EQ(head.weights().size(), 100000u);
  EXPECT_TRUE(head.fits(100000 - ActivityHead::kSiteFeatureCount));
}

TEST_F(ActivityHeadTest, CheckNamesBothLengthsOfAMismatch) {
  ActivityHead head(std::vector<float>(389, 0.0f), 0.0f);
  EXPECT_TRUE(head.fits(384));
  EXPECT_FALSE(head.fits(389) || head.fits(768));
  EXPECT_NO_THROW(head.check(384));
  try {
    head.check(768);
    ADD_FAILURE() << "a mismatched head passed the check";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), Error::kFileReadCorruptCode);
    std::string message = error.what();
    EXPECT_NE(message.find("389"), std::string::npos) << message;
    EXPECT_NE(message.find("768"), std::string::npos) << message;
  }
}

TEST_F(ActivityHeadTest, TextOfASiteIsTitleHostAndFirstPathWordElsewhereProgramAndTitle) {
  // The path word is decoded; blanks it brings are trimmed, line breaks are not.
  using Case = std::tuple<const char*, const char*, const char*>;
  for (const auto& [title, address, text] :
       std::vector<Case>{{"Pull requests", "https://www.GitHub.com/acme/widgets/pulls",
                          "Pull requests. github.com acme"},
                         {"Home", "https://example.org/", "Home. example.org"},
                         {"Home", "https://example.org", "Home. example.org"},
                         {"Home", "https://example.org//a/", "Home. example.org a"},
                         {"Wiki", "https://example.org/caf%C3%A9/x", "Wiki. example.org café"},
                         {"Wiki", "https://example.org/a%20%C2%A0%09", "Wiki. example.org a"},
                         {"Wiki", "https://example.org/a%0A", "Wiki. example.org a\n"},
                         {"", "https://example.org/", ". example.org"},
                         // A file address has no host: the program form.
                         {"notes.txt", "file:///home/me/notes.txt", "Firefox. notes.txt"}}) {
    const Moment tab(1, Date::fromReference(0), "Firefox", "firefox", title, Url::parse(address));
    EXPECT_EQ(ActivityHead::text(tab), text) << address;
  }
  EXPECT_EQ(ActivityHead::text(
                Moment(1, Date::fromReference(0), "Notes", "org.example.Notes", "Untitled")),
            "Notes. Untitled");
  EXPECT_EQ(
      ActivityHead::text(Moment(1, Date::fromReference(0), " Notes\t", "org.example.Notes", "")),
      " Notes\t. ");
}

}  // namespace
}  // namespace qb
