#include <atomic>
#include <thread>

#include "base/Regex.h"
#include "base/Text.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using Range = Regex::Range;
using Ranges = std::vector<Range>;
using Strings = std::vector<std::string>;
using test::ThrowsError;

Ranges ranges(const std::vector<Regex::Match>& matches) {
  Ranges out;
  for (const auto& m : matches) out.push_back(m.range);
  return out;
}

TEST(RegexTest, OffsetsAreBytesOfTheUtf8Text) {
  const std::string text = "\u00E9t\u00E9 \U0001F600 ok";  // 2 + 1 + 2 + 1 + 4 + 1 + 2 bytes
  EXPECT_EQ(Regex("ok").firstMatch(text).value().range, (Range{11, 13}));
  // A group that takes no part in the match is absent.
  const auto match = Regex("(\u00E9)(x)?(\U0001F600)").firstMatch("a\u00E9\U0001F600").value();
  EXPECT_EQ(match.range, (Range{1, 7}));
  EXPECT_EQ(match.groups,
            (std::vector<std::optional<Range>>{Range{1, 3}, std::nullopt, Range{3, 7}}));
  // Ill-formed text is matched as repaired: offsets index "a", U+FFFD, "z", U+FFFD.
  EXPECT_EQ(ranges(Regex("\uFFFD").allMatches("a\xFFz\xE2\x82")), (Ranges{{1, 4}, {5, 8}}));
}

TEST(RegexTest, AnchorsCaseAndEveryOperation) {
  // "^" and "$" anchor at the ends of the whole text ("$" also before a final line end, as in ICU).
  for (const char* pattern : {"^one", "two$"}) EXPECT_TRUE(Regex(pattern).contains("one\ntwo\n"));
  for (const char* pattern : {"^two", "one$", "hello"}) {
    EXPECT_FALSE(Regex(pattern).contains("one\ntwo HeLLo")) << pattern;
  }
  for (const char* pattern : {"(?i)hello", "(?i)\u00E9mile", "(?i)\u03C3"}) {
    EXPECT_TRUE(Regex(pattern).contains("HeLLo \u00C9MILE \u03A3")) << pattern;
  }
  const Regex digits("\\d+");
  EXPECT_EQ(digits.wholeMatch("\u0663\u0664").value().range, (Range{0, 4}));  // Arabic-Indic
  EXPECT_FALSE(digits.wholeMatch("12a") || digits.wholeMatch(""));
  EXPECT_EQ(ranges(digits.allMatches("a1 22 333")), (Ranges{{1, 2}, {3, 5}, {6, 9}}));
  EXPECT_EQ(ranges(Regex("a*").allMatches("baac")), (Ranges{{0, 0}, {1, 3}, {3, 3}, {4, 4}}));
  // An empty match moves on by a whole scalar, never into the middle of one.
  EXPECT_EQ(ranges(Regex("x*").allMatches("\u00E9\U0001F600")), (Ranges{{0, 0}, {2, 2}, {6, 6}}));
  EXPECT_EQ(Regex(",").split("a,,b,"), (Strings{"a", "", "b", ""}));  // empty pieces are kept
  EXPECT_EQ(Regex(",").split(""), (Strings{""}));
  EXPECT_EQ(Regex("\\s*\u2022\\s*").split("\u00E9 \u2022 b\u2022"), (Strings{"\u00E9", "b", ""}));
  EXPECT_EQ(Regex("").split("ab"), (Strings{"", "a", "b", ""}));
  EXPECT_EQ(Regex("(\\w+)@(\\w+)").replaceAll("ann@host, b\u00F6b@x", "$2:$1"),
            "host:ann, x:b\u00F6b");
  EXPECT_EQ(Regex("\\d").replaceAll("a1\u00E92", "\\$"), "a$\u00E9$");
  EXPECT_EQ(Regex("(?<word>\\w+)").replaceAll("hi you", "<${word}>"), "<hi> <you>");
  EXPECT_EQ(Regex("z").replaceAll("caf\u00E9", "$0"), "caf\u00E9");
  EXPECT_EQ(Regex("\\s+").removeAll(" a \u3000b\t"), "ab");
}

TEST(RegexTest, FailuresCarryTheirCodesAndOnlyRunawayMatchesHitTheLimits) {
  for (const char* pattern : {"(unclosed", "[a-", "a{2,1}", "caf\xC3"}) {
    EXPECT_THAT([&] { Regex{pattern}; }, ThrowsError(Regex::kErrorDomain, Regex::kSyntaxCode))
        << pattern;
  }
  EXPECT_THAT([] { Regex("(a)@(b)").replaceAll("a@b", "$3"); },
              ThrowsError(Regex::kErrorDomain, Regex::kReplacementCode, "$3"));
  // Long enough to need far more than the limit, short enough that without a limit the test
  // would fail in seconds rather than hang.
  EXPECT_THAT([] { Regex("(a+)+b").firstMatch(std::string(26, 'a')); },
              ThrowsError(Regex::kErrorDomain, Regex::kLimitCode));
  // An ordinary pattern over a large page stays well within the limits.
  const size_t lines = 8000;
  std::string page;
  for (size_t i = 0; i < lines; ++i) page += "word \u2013 another (12) line\n";
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
  // One compiled pattern serves several threads at once.
  const Regex word("\\p{L}+");
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (size_t t = 1; t <= 4; ++t) {
    threads.emplace_back([&, t] {
      const std::string text = std::string(t, 'x') + " \u00E9t\u00E9 9";
      const Ranges expected = {{0, t}, {t + 1, t + 6}};
      for (int i = 0; i < 300; ++i) wrong += ranges(word.allMatches(text)) != expected;
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
}

TEST(RegexTest, RandomTextNeverBreaksMatching) {
  test::RandomInput random(7);
  const char* patterns[] = {"\\s[-\u2014\u2013]\\s(Web Viewer)( [-\u2014\u2013] .*)?$",
                            "^\\s*\\(\\d{1,3}\\+?\\)\\s+", "x*", "(?i)\\p{Lu}\\w*", "."};
  for (int round = 0; round < 2000; ++round) {
    const std::string bytes = random.text(40, {"\u2013", " ", "(12)", "Web Viewer", "x"});
    const std::string repaired = text::repairUtf8(bytes);
    const Regex regex(patterns[static_cast<size_t>(round) % std::size(patterns)]);
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
