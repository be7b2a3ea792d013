#include <gtest/gtest.h>

#include "analysis/TitleWords.h"
#include "base/Text.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

TEST(TitleWordsTest, WordsAreStemmedCutAndFiltered) {
  // Stop words and words under 4 characters go, capitals of 2 to 5 stay (stop word or not),
  // numbers of 3+ digits and versions stay whole; one suffix goes, then all but 6 characters.
  // clang-format off
  const std::vector<std::pair<std::string, TitleWords::Words>> cases = {
      {"Refactoring", {"refact"}}, {"coding", {"coding"}}, {"tests", {"test"}}, {"bugs", {"bugs"}},
      {"classes", {"class"}}, {"parsed", {"pars"}}, {"Compiler compilers compiling", {"compil"}},
      {"the Video about watch", {}}, {"TUTORIAL", {}}, {"DOCS", {"docs"}}, {"Videoing", {"video"}},
      {"UI ui api", {"ui"}}, {"CS50 and CS 101", {"cs50", "cs", "101"}}, {"7 42 2024", {"2024"}},
      {"\u00c9COLE", {"\u00e9cole"}}, {"", {}}, {"github.com", {"github"}},
      {"Loading....", {"load"}},
      {"Release v1.2.3 of Qt6.5", {"releas", "v1.2.3", "Qt6.5"}}, {"...2024...", {"2024"}},
      {"Don't stop-believing", {"stop", "believ"}}};
  // clang-format on
  for (const auto& [title, words] : cases) EXPECT_EQ(TitleWords::words(title), words) << title;
  // Suffixes are whole characters: an accented "e" or "s" is none of them.
  EXPECT_EQ(TitleWords::stem("classe\u0301s"), "classe\u0301");
  EXPECT_EQ(TitleWords::stem("tests\u0301"), "tests\u0301");
}

TEST(TitleWordsTest, ShortTitleDropsOnlyAPlainTail) {
  // clang-format off
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Pull request #12 - GitHub", "Pull request #12"}, {"A | B | Site", "A | B"},
      {"Intro \u2014 Some-Site", "Intro \u2014 Some-Site"}, {"Notes-Site", "Notes-Site"},
      {"Plain", "Plain"}, {"Time: 10 : 30", "Time: 10"}};
  // clang-format on
  for (const auto& [title, shortened] : cases) EXPECT_EQ(TitleWords::shortTitle(title), shortened);
}

TEST(TitleWordsTest, AnyInputGivesValidWords) {
  test::RandomInput random(4242);
  for (int round = 0; round < 2000; ++round) {
    const std::string input = random.text(300, {"...", "v1.2", "ABC", "2024", "\u00c9", " - "});
    for (const std::string& word : TitleWords::words(input)) {
      ASSERT_TRUE(!word.empty() && text::isValidUtf8(word)) << input;
      ASSERT_FALSE(word.front() == '.' || word.back() == '.') << input;
    }
    ASSERT_TRUE(text::isValidUtf8(TitleWords::shortTitle(input))) << input;
  }
  EXPECT_EQ(TitleWords::words(std::string(100000, 'a')).size(), 1u);
}

}  // namespace
}  // namespace qb
