#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "base/Text.h"

namespace qb::text {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;
const std::string kFFFD = "\xEF\xBF\xBD";

std::string fffd(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += kFFFD;
  return out;
}

// ICU's UTF-8 converter substitutes maximal subparts; repairUtf8 must agree with it byte for byte.
std::string repairedByIcuConverter(const std::string& bytes) {
  std::string out;
  icu::UnicodeString(bytes.data(), static_cast<int32_t>(bytes.size()), "UTF-8").toUTF8String(out);
  return out;
}

// Applies f to each input and expects the paired output.
template <typename F>
void expectMapped(F f, const Pairs& cases) {
  for (const auto& [input, expected] : cases) EXPECT_EQ(f(input), expected) << input;
}

TEST(TextTest, ValidTextIsKeptAndIllFormedTextLosesEachMaximalSubpart) {
  for (const std::string& text :
       {std::string(), std::string("plain ascii, longer than a word"),
        std::string("caf\u00E9 \u20AC\U0001F600\U0010FFFF"), std::string("nul\0inside", 10)}) {
    EXPECT_TRUE(isValidUtf8(text)) << text;
    EXPECT_EQ(repairUtf8(text), text);
  }
  const Pairs cases = {{"\xC3", kFFFD},
                       {"a\xE2\x82"
                        "b",
                        "a" + kFFFD + "b"},  // truncated 2- and 3-byte
                       {"\xF0\x9F\x98", kFFFD},
                       {"\xF0\x9F\xC3\xA9", kFFFD + "\xC3\xA9"},  // truncated 4-byte
                       {"\xC0\xAF", fffd(2)},
                       {"\xE0\x80\xAF", fffd(3)},
                       {"\xF0\x80\x80\xAF", fffd(4)},  // overlong
                       {"\xED\xA0\x80", fffd(3)},
                       {"\xED\xA0\x80\xED\xB0\x80", fffd(6)},  // surrogates, CESU
                       {"\xF4\x90\x80\x80", fffd(4)},
                       {"\xF5\x80\x80\x80", fffd(4)},  // beyond U+10FFFF
                       {"x\xFFy", "x" + kFFFD + "y"},
                       {"a\x80\xBF"
                        "b",
                        "a" + fffd(2) + "b"},
                       // The worked example of the Unicode Standard's chapter 3.
                       {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
                        "a" + fffd(3) + "b" + kFFFD + "c" + fffd(2) + "d"}};
  for (const auto& [input, expected] : cases) {
    SCOPED_TRACE(::testing::PrintToString(input));
    EXPECT_FALSE(isValidUtf8(input));
    EXPECT_EQ(repairUtf8(input), expected);
    EXPECT_EQ(repairedByIcuConverter(input), expected);
    EXPECT_EQ(encode(decode(input)), expected);
  }
}

TEST(TextTest, DecodeEncodeAndScalarCounts) {
  EXPECT_EQ(decode("a\u00E9\U0001F600"), U"a\u00E9\U0001F600");
  EXPECT_EQ(encode(U"a\u00E9\U0001F600"), "a\u00E9\U0001F600");
  EXPECT_EQ(decode("a\xE2\x82"), std::u32string(U"a\uFFFD"));
  // Values that are not scalars cannot be written as UTF-8.
  EXPECT_EQ(encode(std::u32string{0xD800, 0xDFFF, 0x110000, 0xFFFFFFFF}), fffd(4));
  std::string out = "x";
  append(out, 0x10FFFF);
  EXPECT_EQ(out, "x\U0010FFFF");

  EXPECT_EQ(scalarCount(""), 0u);
  EXPECT_EQ(scalarCount("e\u0301\U0001F600"), 3u);
  EXPECT_EQ(scalarCount("a\xE2\x82"
                        "b"),
            3u);  // the broken sequence counts as one U+FFFD
  EXPECT_EQ(scalarPrefix("a\u00E9\U0001F600z", 3), "a\u00E9\U0001F600");
  EXPECT_EQ(scalarPrefix("abc", 10), "abc");
  EXPECT_EQ(scalarPrefix("abc", 0), "");
  EXPECT_EQ(scalarPrefix("\xE2\x82"
                         "ab\xFF",
                         2),
            kFFFD + "a");
}

TEST(TextTest, CharactersAreGraphemeClusters) {
  const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466";
  const std::string flags = "\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA";  // two flags
  const std::string accented = "e\u0301\u0323";
  // Conjoining jamo of one syllable; a thumb with a skin-tone modifier.
  for (const auto& [text, count] :
       std::vector<std::pair<std::string, size_t>>{{"", 0},
                                                   {family, 1},
                                                   {flags, 2},
                                                   {accented, 1},
                                                   {"\u1112\u1161\u11AB", 1},
                                                   {"\U0001F44D\U0001F3FD", 1},
                                                   {"a\r\nb", 3},
                                                   {"a\n\rb", 4}}) {
    EXPECT_EQ(characterCount(text), count) << text;
  }
  EXPECT_EQ(characters("x" + family + accented + "\r\n"),
            (std::vector<std::string>{"x", family, accented, "\r\n"}));
  EXPECT_EQ(characters(flags),
            (std::vector<std::string>{"\U0001F1EB\U0001F1F7", "\U0001F1E9\U0001F1EA"}));
  // Broken sequences become characters of their own.
  EXPECT_EQ(characters("a\xFF\x80"), (std::vector<std::string>{"a", kFFFD, kFFFD}));

  const std::vector<std::string> prefixes = {"", "e\u0301", "e\u0301\U0001F1EB\U0001F1F7",
                                             "e\u0301\U0001F1EB\U0001F1F7\r\n"};
  const std::string text = prefixes.back() + "z";
  for (size_t n = 0; n < prefixes.size(); ++n) EXPECT_EQ(characterPrefix(text, n), prefixes[n]);
  EXPECT_EQ(characterPrefix(text, 4), text);
  EXPECT_EQ(characterPrefix(text, 1000), text);
  EXPECT_EQ(characterPrefix("\xC3(", 1), kFFFD);
  // A long text is cut after the requested number of characters.
  std::string longText;
  for (int i = 0; i < 2000; ++i) longText += (i % 2 == 0) ? "a" : "\u00E9";
  const std::string prefix = characterPrefix(longText, 200);
  EXPECT_EQ(characterCount(prefix), 200u);
  EXPECT_EQ(prefix, longText.substr(0, prefix.size()));
}

TEST(TextTest, ScalarAndCharacterProperties) {
  auto all = [](bool (*f)(char32_t), std::initializer_list<char32_t> cs, bool expected) {
    for (char32_t c : cs) EXPECT_EQ(f(c), expected) << static_cast<uint32_t>(c);
  };
  all(isControl, {U'\t', 0x85}, true);
  all(isControl, {0x200B, U'a'}, false);  // zero-width space is format (Cf), not control
  all(isLetter, {U'a', U'\u00DF', U'\u05D0', U'\u4E00', U'\u01C5'}, true);
  all(isLetter, {U'1', U'\u0301'}, false);
  all(isUppercaseLetter, {U'A', U'\u00C4', U'\u0416', U'\u03A3', U'\u1E9E'}, true);
  // Lower-case Cyrillic; title case (Lt); a Roman numeral is upper-case but not a letter.
  all(isUppercaseLetter, {U'\u0436', U'\u01C5', U'\u2163'}, false);
  all(isNumeric, {U'7', U'\u0663', U'\u2163', U'\u00BD', U'\u00B2', U'\u4E09'}, true);
  all(isNumeric, {U'x', U'\uFFFD'}, false);
  all(isWhitespace, {U' ', U'\n', U'\u00A0', U'\u3000', U'\u0085', U'\u2028'}, true);
  all(isWhitespace, {0x200B}, false);
  // Values beyond Unicode have no properties.
  using Property = bool (*)(char32_t);
  for (Property f : {Property{isControl}, Property{isLetter}, Property{isUppercaseLetter},
                     Property{isNumeric}, Property{isWhitespace}}) {
    all(f, {char32_t{0x110000}, char32_t{0xFFFFFFFF}}, false);
  }
  // A character has the properties of its first scalar.
  EXPECT_TRUE(isLetter("e\u0301"));
  EXPECT_TRUE(isUppercaseLetter("\u00C9"));
  EXPECT_TRUE(isNumeric("\u00BD"));
  EXPECT_FALSE(isLetter("") || isNumeric(""));
  EXPECT_FALSE(isUppercaseLetter("\xC3"));  // ill-formed reads as U+FFFD
}

TEST(TextTest, LowercasedAndTrimmed) {
  // Full root mapping: ẞ to ß, İ grows by a combining dot, I is never the Turkish dotless i,
  // and final sigma is context-dependent even in the root locale.
  expectMapped(lowercased, {{"Hello, WORLD 42 XYZ", "hello, world 42 xyz"},
                            {"\u1E9E", "\u00DF"},
                            {"\u0130", "i\u0307"},
                            {"I", "i"},
                            {"\u00C5NGSTR\u00D6M", "\u00E5ngstr\u00F6m"},
                            {"\u039F\u0394\u039F\u03A3", "\u03BF\u03B4\u03BF\u03C2"},
                            {"\u03A3", "\u03C3"},
                            {"A\xFF"
                             "B",
                             "a" + kFFFD + "b"}});
  // Unicode White_Space goes from the ends; zero-width space is not White_Space.
  expectMapped(trimmed, {{"  \t a b \r\n", "a b"},
                         {"\u00A0\u3000x y\u0085\u2029", "x y"},
                         {" \u00A0 ", ""},
                         {"", ""},
                         {"\u200Bx\u200B", "\u200Bx\u200B"},
                         {" \xFF ", kFFFD},
                         {" e\u0301 ", "e\u0301"}});
}

TEST(TextTest, NormalisationAndCanonicalEquivalence) {
  expectMapped(nfd,
               {{"caf\u00E9", "cafe\u0301"}, {"\uD55C", "\u1112\u1161\u11AB"}, {"plain", "plain"}});
  expectMapped(
      nfc, {{"cafe\u0301", "caf\u00E9"}, {"\u1112\u1161\u11AB", "\uD55C"}, {"a\xFF", "a" + kFFFD}});
  EXPECT_TRUE(canonicallyEqual("caf\u00E9", "cafe\u0301"));
  EXPECT_TRUE(canonicallyEqual("\uD55C", "\u1112\u1161\u11AB"));
  // Marks of different combining classes may come in either order.
  EXPECT_TRUE(canonicallyEqual("a\u0323\u0301", "a\u0301\u0323"));
  EXPECT_TRUE(canonicallyEqual("\u212B", "\u00C5"));  // the angstrom sign is a singleton
  EXPECT_FALSE(canonicallyEqual("cafe", "caf\u00E9"));
  EXPECT_FALSE(canonicallyEqual("\uFB01", "fi"));  // compatibility only, not canonical
}

// Random byte strings biased towards the bytes that make or break UTF-8.
std::string randomBytes(std::mt19937& rng, size_t maxLength) {
  static const unsigned char kInteresting[] = {
      0x00, 0x09, 0x0A, 0x0D, 0x20, 'a',  'Z',  0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
      0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xED, 0xEF, 0xF0, 0xF1, 0xF4, 0xF5, 0xFE, 0xFF};
  std::string out(std::uniform_int_distribution<size_t>(0, maxLength)(rng), '\0');
  for (char& c : out) {
    c = static_cast<char>(rng() % 4 == 0 ? rng() % 256 : kInteresting[rng() % sizeof kInteresting]);
  }
  return out;
}

TEST(TextTest, RandomBytesKeepInvariants) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 3000; ++round) {
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
    for (const std::string& derived : {lowercased(bytes), trimmed(bytes), scalarPrefix(bytes, n)}) {
      ASSERT_TRUE(isValidUtf8(derived));
    }
    ASSERT_TRUE(canonicallyEqual(nfd(bytes), nfc(bytes)));
  }
  // One large input through every function.
  std::string large;
  while (large.size() < 100 * 1000) large += randomBytes(rng, 1000);
  EXPECT_TRUE(isValidUtf8(repairUtf8(large)));
  EXPECT_EQ(characters(large).size(), characterCount(large));
  for (const std::string& derived : {lowercased(large), nfc(large), trimmed(large)}) {
    EXPECT_TRUE(isValidUtf8(derived));
  }
}

}  // namespace
}  // namespace qb::text
