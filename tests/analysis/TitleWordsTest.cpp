#include <gtest/gtest.h>

#include <string>

#include "analysis/TitleWords.h"
#include "base/Text.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using Words = TitleWords::Words;

TEST(TitleWordsTest, WordsAreStemmedCutAndFiltered) {
  for (const auto& [title, words] : std::vector<std::pair<std::string, Words>>{
           {"Refactoring", {"refact"}},  // the suffix goes, then all but 6 characters
           {"coding", {"coding"}},       // too short to lose "ing"
           {"tests", {"test"}},
           {"bugs", {"bugs"}},
           {"classes", {"class"}},  // "es" before "s"
           {"parsed", {"pars"}},
           {"Compiler compilers compiling", {"compil"}},
           {"the Video about watch", {}},  // stop words and short words
           {"TUTORIAL", {}},               // 6+ capitals are not an acronym
           {"DOCS", {"docs"}},             // short capitals are, stop word or not
           {"Videoing", {"video"}},        // an inflected stop word is only stemmed
           {"UI ui api", {"ui"}},
           {"CS50 and CS 101", {"cs50", "cs", "101"}},
           {"7 42 2024", {"2024"}},
           {"\u00c9COLE", {"\u00e9cole"}},
           {"", {}},
           {"github.com", {"github"}},
           {"Release v1.2.3 of Qt6.5", {"releas", "v1.2.3", "Qt6.5"}},
           {"Loading....", {"load"}},
           {"...2024...", {"2024"}},
           {"Don't stop-believing", {"stop", "believ"}}}) {
    EXPECT_EQ(TitleWords::words(title), words) << title;
  }
  // Suffixes are whole characters: an accented "e" or "s" is not one.
  EXPECT_EQ(TitleWords::stem("classe\u0301s"), "classe\u0301");
  EXPECT_EQ(TitleWords::stem("tests\u0301"), "tests\u0301");
}

TEST(TitleWordsTest, ShortTitleDropsOnlyAPlainTail) {
  for (const auto& [title, shortened] : std::vector<std::pair<std::string, std::string>>{
           {"Pull request #12 - GitHub", "Pull request #12"},
           {"A | B | Site", "A | B"},
           {"Intro \u2014 Some-Site", "Intro \u2014 Some-Site"},  // the tail holds a separator
           {"Notes-Site", "Notes-Site"},
           {"Plain", "Plain"},
           {"Time: 10 : 30", "Time: 10"}}) {
    EXPECT_EQ(TitleWords::shortTitle(title), shortened) << title;
  }
}

TEST(TitleWordsTest, AnyInputGivesValidWords) {
  test::RandomInput random(4242);
  const std::vector<std::string> pieces = {"...", "v1.2", "ABC", "2024", "\u00c9", " - ", "ing"};
  for (int round = 0; round < 2000; ++round) {
    const std::string input = random.text(300, pieces);
    for (const std::string& word : TitleWords::words(input)) {
      ASSERT_FALSE(word.empty()) << input;
      ASSERT_TRUE(text::isValidUtf8(word)) << input;
      ASSERT_FALSE(word.front() == '.' || word.back() == '.') << input;
    }
    ASSERT_TRUE(text::isValidUtf8(TitleWords::shortTitle(input))) << input;
  }
  EXPECT_EQ(TitleWords::words(std::string(100000, 'a')).size(), 1u);
}

}  // namespace
}  // namespace qb
