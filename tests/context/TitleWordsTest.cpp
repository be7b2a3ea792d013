#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/Text.h"
#include "context/WorkContext.h"

namespace qb {
namespace {

using Words = WorkContext::Words;

TEST(TitleWordsTest, StemsAndCutsLongWords) {
  EXPECT_EQ(WorkContext::words("Refactoring"), Words{"refact"});  // suffix, then 6 characters
  EXPECT_EQ(WorkContext::words("coding"), Words{"coding"});       // 6 letters keep "ing"
  EXPECT_EQ(WorkContext::words("tests"), Words{"test"});
  EXPECT_EQ(WorkContext::words("bugs"), Words{"bugs"});
  EXPECT_EQ(WorkContext::words("classes"), Words{"class"});  // "es" before "s"
  EXPECT_EQ(WorkContext::words("parsed"), Words{"pars"});
  EXPECT_EQ(WorkContext::words("Compiler compilers compiling"), Words{"compil"});
}

TEST(TitleWordsTest, StopWordsShortWordsAndAcronyms) {
  EXPECT_EQ(WorkContext::words("the Video about watch"), Words{});
  EXPECT_EQ(WorkContext::words("TUTORIAL"), Words{});         // 6+ capitals are not an acronym
  EXPECT_EQ(WorkContext::words("DOCS"), Words{"docs"});       // short capitals are
  EXPECT_EQ(WorkContext::words("Videoing"), Words{"video"});  // an inflected stop word is stemmed
  EXPECT_EQ(WorkContext::words("UI ui api"), Words{"ui"});
  EXPECT_EQ(WorkContext::words("CS50 and CS 101"), (Words{"cs50", "cs", "101"}));
  EXPECT_EQ(WorkContext::words("7 42 2024"), Words{"2024"});
  EXPECT_EQ(WorkContext::words("ÉCOLE"), Words{"école"});
  EXPECT_EQ(WorkContext::words(""), Words{});
}

TEST(TitleWordsTest, DotsHostsAndVersions) {
  EXPECT_EQ(WorkContext::words("github.com"), Words{"github"});
  EXPECT_EQ(WorkContext::words("Release v1.2.3 of Qt6.5"), (Words{"releas", "v1.2.3", "Qt6.5"}));
  EXPECT_EQ(WorkContext::words("Loading...."), Words{"load"});
  EXPECT_EQ(WorkContext::words("...2024..."), Words{"2024"});
  EXPECT_EQ(WorkContext::words("Don't stop-believing"), (Words{"stop", "believ"}));
}

TEST(TitleWordsTest, ShortTitleDropsOnlyAPlainTail) {
  EXPECT_EQ(WorkContext::shortTitle("Pull request #12 - GitHub"), "Pull request #12");
  EXPECT_EQ(WorkContext::shortTitle("A | B | Site"), "A | B");
  EXPECT_EQ(WorkContext::shortTitle("Intro \u2014 Some-Site"), "Intro \u2014 Some-Site");
  EXPECT_EQ(WorkContext::shortTitle("Notes-Site"), "Notes-Site");
  EXPECT_EQ(WorkContext::shortTitle("Plain"), "Plain");
  EXPECT_EQ(WorkContext::shortTitle("Time: 10 : 30"), "Time: 10");
}

TEST(TitleWordsTest, AnyInputGivesValidWords) {
  std::mt19937 random(4242);
  std::uniform_int_distribution<int> byte(0, 255), length(0, 300);
  const std::string pieces[] = {"...", "v1.2", "ABC", "2024", "\u00c9", " - ", "ing", "\xc3"};
  for (int round = 0; round < 2000; ++round) {
    std::string input;
    int n = length(random);
    for (int i = 0; i < n; ++i) {
      if (byte(random) < 60) {
        input += pieces[byte(random) % std::size(pieces)];
      } else {
        input += static_cast<char>(byte(random));
      }
    }
    for (const std::string& word : WorkContext::words(input)) {
      ASSERT_FALSE(word.empty());
      ASSERT_TRUE(text::isValidUtf8(word));
      ASSERT_EQ(word.front() == '.' || word.back() == '.', false);
    }
    ASSERT_TRUE(text::isValidUtf8(WorkContext::shortTitle(input)));
  }
  EXPECT_EQ(WorkContext::words(std::string(100000, 'a')).size(), 1u);
}

}  // namespace
}  // namespace qb
