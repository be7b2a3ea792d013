#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "base/Error.h"
#include "base/Regex.h"
#include "base/Text.h"

namespace qb {
namespace {

using Range = Regex::Range;
using Ranges = std::vector<Range>;
using Strings = std::vector<std::string>;

Ranges ranges(const std::vector<Regex::Match>& matches) {
  Ranges out;
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
  for (const char* pattern : {"(unclosed", "[a-", "a{2,1}", "caf\xC3"}) {
    expectError([&] { Regex{pattern}; }, Regex::kSyntaxCode);
  }
}

TEST(RegexTest, OffsetsAreBytesOfTheUtf8Text) {
  const std::string text = "\u00E9t\u00E9 \U0001F600 ok";  // 2 + 1 + 2 + 1 + 4 + 1 + 2 bytes
  EXPECT_EQ(Regex("ok").firstMatch(text).value().range, (Range{11, 13}));

  const auto groups = Regex("(\u00E9)(x)?(\U0001F600)").firstMatch("a\u00E9\U0001F600");
  ASSERT_TRUE(groups);
  EXPECT_EQ(groups->range, (Range{1, 7}));
  // The second group did not take part.
  EXPECT_EQ(groups->groups,
            (std::vector<std::optional<Range>>{Range{1, 3}, std::nullopt, Range{3, 7}}));
  EXPECT_EQ(Regex("(a)|(b)").firstMatch("b").value().groups,
            (std::vector<std::optional<Range>>{std::nullopt, Range{0, 1}}));

  // Dashes and blanks outside ASCII are single scalars to the pattern.
  const std::string title = "Inbox \u2013 Web Viewer \u2014 Private Mode";
  const Regex browser("\\s[-\u2014\u2013]\\s(Web Viewer|Page Reader)( [-\u2014\u2013] .*)?$");
  EXPECT_EQ(browser.firstMatch(title).value().range, (Range{5, title.size()}));
  EXPECT_EQ(browser.removeAll(title), "Inbox");
  EXPECT_EQ(browser.removeAll("Page Reader tips"), "Page Reader tips");
}

TEST(RegexTest, AnchorsAndCase) {
  const char* count = "^\\s*\\(\\d{1,3}\\+?\\)\\s+";
  // Anchors are the ends of the whole text (ICU: "$" also before a final line end); case is
  // ignored only when asked, then with Unicode case folding.
  using Case = std::tuple<const char*, const char*, bool>;
  for (const auto& [pattern, text, expected] :
       std::vector<Case>{{"^one", "one\ntwo", true},
                         {"two$", "one\ntwo", true},
                         {"^two", "one\ntwo", false},
                         {"one$", "one\ntwo", false},
                         {"two$", "two\n", true},
                         {count, "News (3) today", false},
                         {count, " (99+) News", true},
                         {"hello", "HeLLo", false},
                         {"(?i)hello", "HeLLo", true},
                         {"(?i)\u00E9mile", "\u00C9MILE", true},
                         {"(?i)\u03C3", "\u03A3", true}}) {
    EXPECT_EQ(Regex(pattern).contains(text), expected) << pattern << " in " << text;
  }
}

TEST(RegexTest, WholeAndAllMatches) {
  const Regex digits("\\d+");
  EXPECT_EQ(digits.wholeMatch("\u0663\u0664").value().range, (Range{0, 4}));  // Arabic-Indic digits
  EXPECT_FALSE(digits.wholeMatch("12a"));
  EXPECT_FALSE(digits.wholeMatch(""));
  EXPECT_TRUE(digits.contains("12a"));

  EXPECT_EQ(ranges(digits.allMatches("a1 22 333")), (Ranges{{1, 2}, {3, 5}, {6, 9}}));
  EXPECT_EQ(ranges(Regex("a*").allMatches("baac")), (Ranges{{0, 0}, {1, 3}, {3, 3}, {4, 4}}));
  // An empty match moves on by a whole scalar, never into the middle of one.
  EXPECT_EQ(ranges(Regex("x*").allMatches("\u00E9\U0001F600")), (Ranges{{0, 0}, {2, 2}, {6, 6}}));
  EXPECT_TRUE(Regex("x").allMatches("").empty());
}

TEST(RegexTest, SplitReplaceAndRemove) {
  EXPECT_EQ(Regex(",").split("a,,b,"), (Strings{"a", "", "b", ""}));  // empty pieces are kept
  EXPECT_EQ(Regex(",").split(""), (Strings{""}));
  EXPECT_EQ(Regex("\\s*\u2022\\s*").split("\u00E9 \u2022 b\u2022"), (Strings{"\u00E9", "b", ""}));
  EXPECT_EQ(Regex("").split("ab"), (Strings{"", "a", "b", ""}));

  const Regex mail("(\\w+)@(\\w+)");
  EXPECT_EQ(mail.replaceAll("ann@host, b\u00F6b@x", "$2:$1"), "host:ann, x:b\u00F6b");
  EXPECT_EQ(Regex("\\d").replaceAll("a1\u00E92", "\\$"), "a$\u00E9$");
  EXPECT_EQ(Regex("(?<word>\\w+)").replaceAll("hi you", "<${word}>"), "<hi> <you>");
  EXPECT_EQ(Regex("z").replaceAll("caf\u00E9", "$0"), "caf\u00E9");
  expectError([&] { mail.replaceAll("a@b", "$3"); }, Regex::kReplacementCode);
  EXPECT_EQ(Regex("\\s+").removeAll(" a \u3000b\t"), "ab");

  // Ill-formed text is matched as repaired: offsets index "a", U+FFFD, "b", U+FFFD.
  const std::string bytes =
      "a\xFF"
      "b\xE2\x82";
  EXPECT_EQ(ranges(Regex("\uFFFD").allMatches(bytes)), (Ranges{{1, 4}, {5, 8}}));
  EXPECT_EQ(Regex("b").removeAll(bytes), "a\uFFFD\uFFFD");
  EXPECT_EQ(Regex("b").split(bytes), (Strings{"a\uFFFD", "\uFFFD"}));
}

TEST(RegexTest, RunawayBacktrackingIsStopped) {
  // Long enough to need far more than the limit, short enough that without a limit the test
  // would fail in seconds rather than hang.
  const Regex exponential("(a+)+b");
  expectError([&] { exponential.firstMatch(std::string(26, 'a')); }, Regex::kLimitCode);

  // An ordinary pattern over a large page stays well within the limits.
  std::string page;
  size_t lines = 0;
  for (; page.size() < 200 * 1000; ++lines) page += "word \u2013 another (12) line\n";
  EXPECT_EQ(Regex("\\(\\d{1,3}\\+?\\)").allMatches(page).size(), lines);
  EXPECT_FALSE(Regex("\\s[-\u2014\u2013]\\s(Web Viewer)( [-\u2014\u2013] .*)?$").contains(page));
}

TEST(RegexTest, MovedAndSharedRegexesKeepWorking) {
  Regex original("b+");
  Regex moved(std::move(original));
  EXPECT_EQ(moved.pattern(), "b+");
  EXPECT_EQ(moved.removeAll("abbc"), "ac");
  original = Regex("c");
  EXPECT_EQ(original.removeAll("abbc"), "abb");

  const Regex word("\\p{L}+");
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (size_t t = 0; t < wrong.size(); ++t) {
    threads.emplace_back([&, t] {
      const std::string text = std::string(t + 1, 'x') + " \u00E9t\u00E9 9";
      for (int i = 0; i < 300; ++i) {
        const auto found = word.allMatches(text);
        if (found.size() != 2 || found[0].range != Range{0, t + 1} || found[1].range.size() != 5) {
          ++wrong[t];
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

TEST(RegexTest, RandomTextNeverBreaksMatching) {
  std::mt19937 rng(7);
  std::vector<Regex> patterns;
  for (const char* pattern :
       {"\\s[-\u2014\u2013]\\s(Web Viewer|Page Reader)( [-\u2014\u2013] .*)?$",
        "^\\s*\\(\\d{1,3}\\+?\\)\\s+", "x*", "(?i)\\p{Lu}\\w*", "."}) {
    patterns.emplace_back(pattern);
  }
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(rng() % 41, '\0');
    for (char& c : bytes) c = static_cast<char>(rng() % 256);
    const std::string repaired = text::repairUtf8(bytes);
    const Regex& regex = patterns[static_cast<size_t>(round) % patterns.size()];

    size_t previousEnd = 0, matched = 0;
    for (const auto& m : regex.allMatches(bytes)) {
      ASSERT_LE(previousEnd, m.range.begin);
      ASSERT_LE(m.range.end, repaired.size());
      ASSERT_TRUE(text::isValidUtf8(repaired.substr(m.range.begin, m.range.size())));
      previousEnd = m.range.end;
      matched += m.range.size();
    }
    size_t pieceBytes = 0;
    for (const auto& piece : regex.split(bytes)) pieceBytes += piece.size();
    ASSERT_EQ(pieceBytes + matched, repaired.size());
    ASSERT_EQ(regex.removeAll(bytes).size(), pieceBytes);
    ASSERT_TRUE(text::isValidUtf8(regex.replaceAll(bytes, "[$0]")));
  }
}

}  // namespace
}  // namespace qb
