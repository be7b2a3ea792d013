#include "base/Text.h"

#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include <random>
#include <string>
#include <vector>

namespace qb::text {
namespace {

const std::string kFFFD = "\xEF\xBF\xBD";

std::string fffd(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += kFFFD;
  return out;
}

// ICU's UTF-8 converter substitutes maximal subparts; repairUtf8 must agree with it byte for byte.
std::string repairedByIcuConverter(const std::string& bytes) {
  const icu::UnicodeString decoded(bytes.data(), static_cast<int32_t>(bytes.size()), "UTF-8");
  std::string out;
  decoded.toUTF8String(out);
  return out;
}

TEST(TextTest, ValidTextIsKeptAsIs) {
  for (const std::string& text :
       std::vector<std::string>{"", "plain ascii text, longer than one word", "caf\u00E9",
                                "\u20AC\U0001F600\U0010FFFF", std::string("nul\0inside", 10)}) {
    EXPECT_TRUE(isValidUtf8(text)) << text;
    EXPECT_EQ(repairUtf8(text), text);
  }
}

TEST(TextTest, RepairReplacesEachMaximalSubpart) {
  struct Case {
    const char* what;
    std::string input;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"truncated 2-byte", "\xC3", kFFFD},
      {"truncated 3-byte", "a\xE2\x82" "b", "a" + kFFFD + "b"},
      {"truncated 4-byte at end", "\xF0\x9F\x98", kFFFD},
      {"truncated then valid", "\xF0\x9F\xC3\xA9", kFFFD + "\xC3\xA9"},
      {"overlong 2-byte", "\xC0\xAF", fffd(2)},
      {"overlong 3-byte", "\xE0\x80\xAF", fffd(3)},
      {"overlong 4-byte", "\xF0\x80\x80\xAF", fffd(4)},
      {"lone surrogate", "\xED\xA0\x80", fffd(3)},
      {"surrogate pair as CESU", "\xED\xA0\x80\xED\xB0\x80", fffd(6)},
      {"above U+10FFFF", "\xF4\x90\x80\x80", fffd(4)},
      {"F5 lead", "\xF5\x80\x80\x80", fffd(4)},
      {"FF byte", "x\xFFy", "x" + kFFFD + "y"},
      {"stray continuations", "a\x80\xBF" "b", "a" + fffd(2) + "b"},
      // The worked example of the Unicode Standard's chapter 3.
      {"mixed", "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
       "a" + fffd(3) + "b" + kFFFD + "c" + fffd(2) + "d"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(isValidUtf8(c.input)) << c.what;
    EXPECT_EQ(repairUtf8(c.input), c.expected) << c.what;
    EXPECT_EQ(repairedByIcuConverter(c.input), c.expected) << c.what;
    EXPECT_EQ(encode(decode(c.input)), c.expected) << c.what;
  }
}

TEST(TextTest, DecodeAndEncode) {
  EXPECT_EQ(decode("a\u00E9\U0001F600"), U"a\u00E9\U0001F600");
  EXPECT_EQ(encode(U"a\u00E9\U0001F600"), "a\u00E9\U0001F600");
  EXPECT_EQ(decode("a\xE2\x82"), std::u32string(U"a\uFFFD"));

  // Values that are not scalars cannot be written as UTF-8.
  const std::u32string bad = {0xD800, 0xDFFF, 0x110000, 0xFFFFFFFF};
  EXPECT_EQ(encode(bad), fffd(4));
  std::string out = "x";
  append(out, 0x10FFFF);
  EXPECT_EQ(out, "x\U0010FFFF");
}

TEST(TextTest, ScalarsCountCodePoints) {
  EXPECT_EQ(scalarCount(""), 0u);
  EXPECT_EQ(scalarCount("e\u0301\U0001F600"), 3u);
  EXPECT_EQ(scalarCount("a\xE2\x82" "b"), 3u);  // the broken sequence counts as one U+FFFD

  EXPECT_EQ(scalarPrefix("a\u00E9\U0001F600z", 3), "a\u00E9\U0001F600");
  EXPECT_EQ(scalarPrefix("abc", 10), "abc");
  EXPECT_EQ(scalarPrefix("abc", 0), "");
  EXPECT_EQ(scalarPrefix("\xE2\x82" "ab\xFF", 2), kFFFD + "a");
}

TEST(TextTest, CharactersAreGraphemeClusters) {
  const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466";
  const std::string flags = "\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA";  // two flags
  const std::string accented = "e\u0301\u0323";
  const std::string hangul = "\u1112\u1161\u11AB";  // conjoining jamo of one syllable
  const std::string thumbs = "\U0001F44D\U0001F3FD";  // with a skin-tone modifier

  EXPECT_EQ(characterCount(""), 0u);
  EXPECT_EQ(characterCount(family), 1u);
  EXPECT_EQ(characterCount(flags), 2u);
  EXPECT_EQ(characterCount(accented), 1u);
  EXPECT_EQ(characterCount(hangul), 1u);
  EXPECT_EQ(characterCount(thumbs), 1u);
  EXPECT_EQ(characterCount("a\r\nb"), 3u);
  EXPECT_EQ(characterCount("a\n\rb"), 4u);

  EXPECT_EQ(characters("x" + family + accented + "\r\n"),
            (std::vector<std::string>{"x", family, accented, "\r\n"}));
  EXPECT_EQ(characters(flags),
            (std::vector<std::string>{"\U0001F1EB\U0001F1F7", "\U0001F1E9\U0001F1EA"}));
  // Broken sequences become characters of their own.
  EXPECT_EQ(characters("a\xFF\x80"), (std::vector<std::string>{"a", kFFFD, kFFFD}));
}

TEST(TextTest, CharacterPrefixCutsBetweenClusters) {
  const std::string text = "e\u0301" "\U0001F1EB\U0001F1F7" "\r\n" "z";
  EXPECT_EQ(characterPrefix(text, 0), "");
  EXPECT_EQ(characterPrefix(text, 1), "e\u0301");
  EXPECT_EQ(characterPrefix(text, 2), "e\u0301\U0001F1EB\U0001F1F7");
  EXPECT_EQ(characterPrefix(text, 3), "e\u0301\U0001F1EB\U0001F1F7\r\n");
  EXPECT_EQ(characterPrefix(text, 4), text);
  EXPECT_EQ(characterPrefix(text, 1000), text);
  EXPECT_EQ(characterPrefix("\xC3(", 1), kFFFD);

  // A long text is cut after the requested number of characters, not scanned to the end for it.
  std::string longText;
  for (int i = 0; i < 2000; ++i) longText += (i % 2 == 0) ? "a" : "\u00E9";
  const std::string prefix = characterPrefix(longText, 200);
  EXPECT_EQ(characterCount(prefix), 200u);
  EXPECT_EQ(prefix, longText.substr(0, prefix.size()));
}

TEST(TextTest, ScalarProperties) {
  EXPECT_TRUE(isControl(U'\t'));
  EXPECT_TRUE(isControl(0x85));
  EXPECT_FALSE(isControl(0x200B));  // zero-width space is format (Cf), not control
  EXPECT_FALSE(isControl(U'a'));

  for (char32_t c : {U'a', U'\u00DF', U'\u05D0', U'\u4E00', U'\u01C5'}) {
    EXPECT_TRUE(isLetter(c)) << static_cast<uint32_t>(c);
  }
  EXPECT_FALSE(isLetter(U'1'));
  EXPECT_FALSE(isLetter(U'\u0301'));

  for (char32_t c : {U'A', U'\u00C4', U'\u0416', U'\u03A3', U'\u1E9E'}) {
    EXPECT_TRUE(isUppercaseLetter(c)) << static_cast<uint32_t>(c);
  }
  EXPECT_FALSE(isUppercaseLetter(U'\u0436'));  // lower-case Cyrillic
  EXPECT_FALSE(isUppercaseLetter(U'\u01C5'));  // title case (Lt) is not upper case
  EXPECT_FALSE(isUppercaseLetter(U'\u2163'));  // a Roman numeral is upper-case, but not a letter

  for (char32_t c : {U'7', U'\u0663', U'\u2163', U'\u00BD', U'\u00B2', U'\u4E09'}) {
    EXPECT_TRUE(isNumeric(c)) << static_cast<uint32_t>(c);
  }
  EXPECT_FALSE(isNumeric(U'x'));
  EXPECT_FALSE(isNumeric(U'\uFFFD'));

  for (char32_t c : {U' ', U'\n', U'\u00A0', U'\u3000', U'\u0085', U'\u2028'}) {
    EXPECT_TRUE(isWhitespace(c)) << static_cast<uint32_t>(c);
  }
  EXPECT_FALSE(isWhitespace(0x200B));

  // Values beyond Unicode have no properties.
  for (char32_t c : {char32_t{0x110000}, char32_t{0xFFFFFFFF}}) {
    EXPECT_FALSE(isControl(c) || isLetter(c) || isUppercaseLetter(c) || isNumeric(c) ||
                 isWhitespace(c));
  }
}

TEST(TextTest, CharacterPropertiesAreThoseOfTheFirstScalar) {
  EXPECT_TRUE(isLetter("e\u0301"));
  EXPECT_TRUE(isUppercaseLetter("\u00C9"));
  EXPECT_TRUE(isNumeric("\u00BD"));
  EXPECT_FALSE(isLetter(""));
  EXPECT_FALSE(isNumeric(""));
  EXPECT_FALSE(isUppercaseLetter("\xC3"));  // ill-formed reads as U+FFFD
}

TEST(TextTest, LowercasedUsesFullRootMapping) {
  EXPECT_EQ(lowercased("Hello, WORLD 42"), "hello, world 42");
  EXPECT_EQ(lowercased("\u1E9E"), "\u00DF");
  EXPECT_EQ(lowercased("\u0130"), "i\u0307");    // grows by a combining dot
  EXPECT_EQ(lowercased("I"), "i");               // never the Turkish dotless i
  EXPECT_EQ(lowercased("\u00C5NGSTR\u00D6M"), "\u00E5ngstr\u00F6m");
  // Final sigma is context-dependent even in the root locale.
  EXPECT_EQ(lowercased("\u039F\u0394\u039F\u03A3"), "\u03BF\u03B4\u03BF\u03C2");
  EXPECT_EQ(lowercased("\u03A3"), "\u03C3");
  EXPECT_EQ(lowercased("A\xFF" "B"), "a" + kFFFD + "b");
}

TEST(TextTest, TrimmedStripsUnicodeWhiteSpace) {
  EXPECT_EQ(trimmed("  \t a b \r\n"), "a b");
  EXPECT_EQ(trimmed("\u00A0\u3000x y\u0085\u2029"), "x y");
  EXPECT_EQ(trimmed(" \u00A0 "), "");
  EXPECT_EQ(trimmed(""), "");
  EXPECT_EQ(trimmed("\u200Bx\u200B"), "\u200Bx\u200B");  // not White_Space
  EXPECT_EQ(trimmed(" \xFF "), kFFFD);
  EXPECT_EQ(trimmed(" e\u0301 "), "e\u0301");
}

TEST(TextTest, NormalisationAndCanonicalEquivalence) {
  const std::string composed = "caf\u00E9";
  const std::string decomposed = "cafe\u0301";
  EXPECT_EQ(nfd(composed), decomposed);
  EXPECT_EQ(nfc(decomposed), composed);
  EXPECT_EQ(nfd("\uD55C"), "\u1112\u1161\u11AB");
  EXPECT_EQ(nfc("\u1112\u1161\u11AB"), "\uD55C");
  EXPECT_EQ(nfd("plain"), "plain");
  EXPECT_EQ(nfc("a\xFF"), "a" + kFFFD);

  EXPECT_TRUE(canonicallyEqual(composed, decomposed));
  EXPECT_TRUE(canonicallyEqual("\uD55C", "\u1112\u1161\u11AB"));
  // Marks of different combining classes may come in either order.
  EXPECT_TRUE(canonicallyEqual("a\u0323\u0301", "a\u0301\u0323"));
  EXPECT_TRUE(canonicallyEqual("\u212B", "\u00C5"));  // the angstrom sign is a singleton
  EXPECT_FALSE(canonicallyEqual("cafe", composed));
  EXPECT_FALSE(canonicallyEqual("\uFB01", "fi"));  // compatibility only, not canonical
}

// Random byte strings biased towards the bytes that make or break UTF-8.
std::string randomBytes(std::mt19937& rng, size_t maxLength) {
  static const unsigned char kInteresting[] = {0x00, 0x09, 0x0A, 0x0D, 0x20, 'a',  'Z',  0x7F,
                                               0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1,
                                               0xC2, 0xDF, 0xE0, 0xE1, 0xED, 0xEF, 0xF0, 0xF1,
                                               0xF4, 0xF5, 0xFE, 0xFF};
  std::uniform_int_distribution<size_t> length(0, maxLength);
  std::uniform_int_distribution<int> coin(0, 3);
  std::uniform_int_distribution<size_t> pick(0, sizeof(kInteresting) - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string out(length(rng), '\0');
  for (char& c : out) {
    c = static_cast<char>(coin(rng) == 0 ? byte(rng) : kInteresting[pick(rng)]);
  }
  return out;
}

TEST(TextTest, RandomBytesKeepInvariants) {
  std::mt19937 rng(20240611);
  constexpr int kRounds = 3000;
  for (int round = 0; round < kRounds; ++round) {
    const std::string bytes = randomBytes(rng, 48);
    SCOPED_TRACE(::testing::PrintToString(bytes));
    const std::string repaired = repairUtf8(bytes);
    ASSERT_TRUE(isValidUtf8(repaired));
    ASSERT_EQ(repairUtf8(repaired), repaired);
    ASSERT_EQ(repaired, repairedByIcuConverter(bytes));
    ASSERT_EQ(encode(decode(bytes)), repaired);
    ASSERT_EQ(scalarCount(bytes), scalarCount(repaired));

    const size_t n = round % 7;
    const std::string prefix = characterPrefix(bytes, n);
    ASSERT_EQ(repaired.compare(0, prefix.size(), prefix), 0);
    ASSERT_LE(characterCount(prefix), n);
    ASSERT_EQ(characterCount(bytes), characters(bytes).size());

    ASSERT_TRUE(isValidUtf8(lowercased(bytes)));
    ASSERT_TRUE(isValidUtf8(trimmed(bytes)));
    ASSERT_TRUE(isValidUtf8(scalarPrefix(bytes, n)));
    ASSERT_TRUE(canonicallyEqual(nfd(bytes), nfc(bytes)));
  }

  // One large input through every function.
  std::string large;
  while (large.size() < 100 * 1000) large += randomBytes(rng, 1000);
  const std::string repaired = repairUtf8(large);
  EXPECT_TRUE(isValidUtf8(repaired));
  EXPECT_EQ(characters(large).size(), characterCount(large));
  EXPECT_TRUE(isValidUtf8(lowercased(large)));
  EXPECT_TRUE(isValidUtf8(nfc(large)));
  EXPECT_TRUE(isValidUtf8(trimmed(large)));
}

}  // namespace
}  // namespace qb::text
