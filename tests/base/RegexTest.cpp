#include "base/Regex.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/Error.h"
#include "base/Text.h"

namespace qb {
namespace {

using Range = Regex::Range;

std::vector<Range> ranges(const std::vector<Regex::Match>& matches) {
  std::vector<Range> out;
  for (const auto& m : matches) out.push_back(m.range);
  return out;
}

void expectError(const std::function<void()>& f, long code) {
  try {
    f();
    ADD_FAILURE() << "no error thrown";
  } catch (const Error& e) {
    EXPECT_EQ(e.domain(), Regex::kErrorDomain);
    EXPECT_EQ(e.code(), code) << e.what();
  }
}

TEST(RegexTest, BadPatternsThrow) {
  expectError([] { Regex("(unclosed"); }, Regex::kSyntaxCode);
  expectError([] { Regex("[a-"); }, Regex::kSyntaxCode);
  expectError([] { Regex("a{2,1}"); }, Regex::kSyntaxCode);
  expectError([] { Regex("caf\xC3"); }, Regex::kSyntaxCode);
}

TEST(RegexTest, OffsetsAreBytesOfTheUtf8Text) {
  const std::string text = "\u00E9t\u00E9 \U0001F600 ok";  // 2 + 1 + 2 + 1 + 4 + 1 + 2 bytes
  const auto match = Regex("ok").firstMatch(text);
  ASSERT_TRUE(match);
  EXPECT_EQ(match->range, (Range{11, 13}));

  const auto groups = Regex("(\u00E9)(x)?(\U0001F600)").firstMatch("a\u00E9\U0001F600");
  ASSERT_TRUE(groups);
  EXPECT_EQ(groups->range, (Range{1, 7}));
  ASSERT_EQ(groups->groups.size(), 3u);
  EXPECT_EQ(groups->groups[0], (Range{1, 3}));
  EXPECT_FALSE(groups->groups[1].has_value());  // did not take part
  EXPECT_EQ(groups->groups[2], (Range{3, 7}));
  const auto alternative = Regex("(a)|(b)").firstMatch("b");
  ASSERT_TRUE(alternative);
  EXPECT_FALSE(alternative->groups[0].has_value());
  EXPECT_EQ(alternative->groups[1], (Range{0, 1}));

  // Dashes and blanks outside ASCII are single scalars to the pattern.
  const std::string title = "Inbox \u2013 Web Viewer \u2014 Private Mode";
  const Regex browser("\\s[-\u2014\u2013]\\s(Web Viewer|Page Reader)( [-\u2014\u2013] .*)?$");
  const auto tail = browser.firstMatch(title);
  ASSERT_TRUE(tail);
  EXPECT_EQ(tail->range, (Range{5, title.size()}));
  EXPECT_EQ(browser.removeAll(title), "Inbox");
  EXPECT_EQ(browser.removeAll("Page Reader tips"), "Page Reader tips");
}

TEST(RegexTest, AnchorsAreTheEndsOfTheWholeText) {
  const std::string text = "one\ntwo";
  EXPECT_TRUE(Regex("^one").contains(text));
  EXPECT_TRUE(Regex("two$").contains(text));
  EXPECT_FALSE(Regex("^two").contains(text));
  EXPECT_FALSE(Regex("one$").contains(text));
  EXPECT_TRUE(Regex("two$").contains("two\n"));  // ICU: "$" also before a final line end
  EXPECT_FALSE(Regex("^\\s*\\(\\d{1,3}\\+?\\)\\s+").contains("News (3) today"));
  EXPECT_TRUE(Regex("^\\s*\\(\\d{1,3}\\+?\\)\\s+").contains(" (99+) News"));
}

TEST(RegexTest, CaseInsensitivityOnlyWhenAsked) {
  EXPECT_FALSE(Regex("hello").contains("HeLLo"));
  EXPECT_TRUE(Regex("(?i)hello").contains("HeLLo"));
  EXPECT_TRUE(Regex("(?i)\u00E9mile").contains("\u00C9MILE"));
  EXPECT_TRUE(Regex("(?i)\u03C3").contains("\u03A3"));
}

TEST(RegexTest, WholeMatchSpansTheText) {
  const Regex digits("\\d+");
  const auto whole = digits.wholeMatch("\u0663\u0664");  // Arabic-Indic digits are \d
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->range, (Range{0, 4}));
  EXPECT_FALSE(digits.wholeMatch("12a"));
  EXPECT_FALSE(digits.wholeMatch(""));
  EXPECT_TRUE(digits.contains("12a"));
}

TEST(RegexTest, AllMatchesAdvancePastEmptyMatches) {
  EXPECT_EQ(ranges(Regex("\\d+").allMatches("a1 22 333")),
            (std::vector<Range>{{1, 2}, {3, 5}, {6, 9}}));
  EXPECT_EQ(ranges(Regex("a*").allMatches("baac")),
            (std::vector<Range>{{0, 0}, {1, 3}, {3, 3}, {4, 4}}));
  // An empty match moves on by a whole scalar, never into the middle of one.
  EXPECT_EQ(ranges(Regex("x*").allMatches("\u00E9\U0001F600")),
            (std::vector<Range>{{0, 0}, {2, 2}, {6, 6}}));
  EXPECT_TRUE(Regex("x").allMatches("").empty());
}

TEST(RegexTest, SplitKeepsEmptyPieces) {
  EXPECT_EQ(Regex(",").split("a,,b,"), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(Regex(",").split(""), (std::vector<std::string>{""}));
  EXPECT_EQ(Regex("\\s*\u2022\\s*").split("\u00E9 \u2022 b\u2022"),
            (std::vector<std::string>{"\u00E9", "b", ""}));
  EXPECT_EQ(Regex("").split("ab"), (std::vector<std::string>{"", "a", "b", ""}));
}

TEST(RegexTest, ReplaceAllExpandsTemplates) {
  const Regex mail("(\\w+)@(\\w+)");
  EXPECT_EQ(mail.replaceAll("ann@host, b\u00F6b@x", "$2:$1"), "host:ann, x:b\u00F6b");
  EXPECT_EQ(Regex("\\d").replaceAll("a1\u00E92", "\\$"), "a$\u00E9$");
  EXPECT_EQ(Regex("(?<word>\\w+)").replaceAll("hi you", "<${word}>"), "<hi> <you>");
  EXPECT_EQ(Regex("z").replaceAll("caf\u00E9", "$0"), "caf\u00E9");
  expectError([&] { mail.replaceAll("a@b", "$3"); }, Regex::kReplacementCode);

  EXPECT_EQ(Regex("\\s+").removeAll(" a \u3000b\t"), "ab");
}

TEST(RegexTest, IllFormedTextIsMatchedAsRepaired) {
  const std::string bytes = "a\xFF" "b\xE2\x82";
  const auto matches = Regex("\uFFFD").allMatches(bytes);
  // Offsets index the repaired text "a", U+FFFD, "b", U+FFFD.
  EXPECT_EQ(ranges(matches), (std::vector<Range>{{1, 4}, {5, 8}}));
  EXPECT_EQ(Regex("b").removeAll(bytes), "a\uFFFD\uFFFD");
  EXPECT_EQ(Regex("b").split(bytes), (std::vector<std::string>{"a\uFFFD", "\uFFFD"}));
}

TEST(RegexTest, RunawayBacktrackingIsStopped) {
  // Long enough to need far more than the limit, short enough that without a limit the test
  // would fail in seconds rather than hang.
  const Regex exponential("(a+)+b");
  const std::string text(26, 'a');
  expectError([&] { exponential.firstMatch(text); }, Regex::kLimitCode);

  // An ordinary pattern over a large page stays well within the limits.
  std::string page;
  size_t lines = 0;
  for (; page.size() < 200 * 1000; ++lines) page += "word \u2013 another (12) line\n";
  EXPECT_EQ(Regex("\\(\\d{1,3}\\+?\\)").allMatches(page).size(), lines);
  EXPECT_FALSE(Regex("\\s[-\u2014\u2013]\\s(Web Viewer)( [-\u2014\u2013] .*)?$").contains(page));
}

TEST(RegexTest, MovedRegexKeepsWorking) {
  Regex original("b+");
  Regex moved(std::move(original));
  EXPECT_EQ(moved.pattern(), "b+");
  EXPECT_EQ(moved.removeAll("abbc"), "ac");
  original = Regex("c");
  EXPECT_EQ(original.removeAll("abbc"), "abb");
}

TEST(RegexTest, SharedBetweenThreads) {
  const Regex word("\\p{L}+");
  constexpr int kThreads = 4;
  constexpr int kIterations = 300;
  std::vector<std::thread> threads;
  std::vector<int> wrong(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string text = std::string(static_cast<size_t>(t + 1), 'x') + " \u00E9t\u00E9 9";
      for (int i = 0; i < kIterations; ++i) {
        const auto found = word.allMatches(text);
        const bool ok = found.size() == 2 && found[0].range == Range{0, size_t(t + 1)} &&
                        found[1].range.size() == 5;
        if (!ok) ++wrong[static_cast<size_t>(t)];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(kThreads, 0));
}

TEST(RegexTest, RandomTextNeverBreaksMatching) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<size_t> length(0, 40);
  std::vector<Regex> patterns;
  for (const char* pattern :
       {"\\s[-\u2014\u2013]\\s(Web Viewer|Page Reader)( [-\u2014\u2013] .*)?$",
        "^\\s*\\(\\d{1,3}\\+?\\)\\s+", "x*", "(?i)\\p{Lu}\\w*", "."}) {
    patterns.emplace_back(pattern);
  }
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(length(rng), '\0');
    for (char& c : bytes) c = static_cast<char>(byte(rng));
    const std::string repaired = text::repairUtf8(bytes);
    const Regex& regex = patterns[static_cast<size_t>(round) % patterns.size()];

    size_t previousEnd = 0;
    size_t matched = 0;
    for (const auto& m : regex.allMatches(bytes)) {
      ASSERT_LE(previousEnd, m.range.begin);
      ASSERT_LE(m.range.end, repaired.size());
      ASSERT_TRUE(text::isValidUtf8(repaired.substr(m.range.begin, m.range.size())));
      previousEnd = m.range.end;
      matched += m.range.size();
    }
    const auto pieces = regex.split(bytes);
    size_t pieceBytes = 0;
    for (const auto& piece : pieces) pieceBytes += piece.size();
    ASSERT_EQ(pieceBytes + matched, repaired.size());
    ASSERT_EQ(regex.removeAll(bytes).size(), pieceBytes);
    ASSERT_TRUE(text::isValidUtf8(regex.replaceAll(bytes, "[$0]")));
  }
}

}  // namespace
}  // namespace qb
