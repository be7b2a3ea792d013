#include <unicode/unistr.h>

#include "base/Text.h"
#include "support/TestSupport.h"

namespace qb::text {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;
using Strings = std::vector<std::string>;

std::string fffd(int n = 1) { return n == 0 ? "" : "\uFFFD" + fffd(n - 1); }

// ICU's UTF-8 converter substitutes maximal subparts; repairUtf8 must agree with it byte for byte.
std::string repairedByIcuConverter(const std::string& bytes) {
  std::string out;
  icu::UnicodeString(bytes.data(), static_cast<int32_t>(bytes.size()), "UTF-8").toUTF8String(out);
  return out;
}

template <typename F>
void expectMapped(F f, const Pairs& cases) {
  for (const auto& [input, expected] : cases) EXPECT_EQ(f(input), expected) << input;
}

TEST(TextTest, ValidTextIsKeptIllFormedTextLosesEachMaximalSubpartAndScalarsRoundTrip) {
  // Valid text is kept; each maximal ill-formed subpart becomes one U+FFFD.
  const Pairs cases = {
      {"", ""},
      {"plain ascii, longer than a word", "plain ascii, longer than a word"},
      {"caf\u00E9 \u20AC\U0001F600\U0010FFFF", "caf\u00E9 \u20AC\U0001F600\U0010FFFF"},
      {std::string("nul\0inside", 10), std::string("nul\0inside", 10)},
      {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",  // Unicode's worked example
       "a" + fffd(3) + "b" + fffd() + "c" + fffd(2) + "d"},
      {"\xC3|\xF0\x9F\x98|\xF0\x9F\xC3\xA9", fffd() + "|" + fffd() + "|" + fffd() + "\u00E9"},
      {"\xC0\xAF|\xE0\x80\xAF|\xF0\x80\x80\xAF",
       fffd(2) + "|" + fffd(3) + "|" + fffd(4)},                           // overlong
      {"\xED\xA0\x80\xED\xB0\x80|\xF4\x90\x80\x80|\xF5\x80\x80\x80|\xFF",  // surrogates, beyond
       fffd(6) + "|" + fffd(4) + "|" + fffd(4) + "|" + fffd()}};           // U+10FFFF
  for (const auto& [input, expected] : cases) {
    SCOPED_TRACE(::testing::PrintToString(input));
    EXPECT_EQ(isValidUtf8(input), input == expected);
    EXPECT_EQ(repairUtf8(input), expected);
    EXPECT_EQ(repairedByIcuConverter(input), expected);
    EXPECT_EQ(encode(decode(input)), expected);
  }
  EXPECT_EQ(decode("a\u00E9\U0001F600\xE2\x82"), U"a\u00E9\U0001F600\uFFFD");
  // Values that are not scalars cannot be written as UTF-8.
  EXPECT_EQ(encode(std::u32string{0xD800, 0xDFFF, 0x110000, 0xFFFFFFFF}), fffd(4));
  EXPECT_EQ(scalarCount("e\u0301\U0001F600\xE2\x82z"), 5u);  // a broken sequence is one U+FFFD
  EXPECT_EQ(scalarPrefix("a\u00E9\U0001F600z", 3), "a\u00E9\U0001F600");
  EXPECT_EQ(scalarPrefix("\xE2\x82z\xFFy", 3), fffd() + "z" + fffd());  // repaired after the cut
  EXPECT_EQ(scalarPrefix("ab", 3) + scalarPrefix("ab", 0), "ab");
}

TEST(TextTest, CharactersAreGraphemeClusters) {
  // A family joined by ZWJ, stacked marks, conjoining jamo, a skin tone, two flags; broken
  // sequences become characters of their own.
  const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466";
  const Strings expected({"x", family, "e\u0301\u0323", "\u1112\u1161\u11AB",
                          "\U0001F44D\U0001F3FD", "\U0001F1EB\U0001F1F7", "\U0001F1E9\U0001F1EA",
                          "\r\n", "\uFFFD", "\uFFFD"});
  const std::string text = "x" + family + "e\u0301\u0323\u1112\u1161\u11AB\U0001F44D\U0001F3FD" +
                           "\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA\r\n\xFF\x80";
  EXPECT_EQ(characters(text), expected);
  // ASCII takes a shortcut that must still keep CR LF together.
  EXPECT_EQ(characters("a\r\nb\n\r"), (Strings{"a", "\r\n", "b", "\n", "\r"}));
  EXPECT_EQ(characterCount("") + scalarCount(""), 0u);
  Strings visited;
  forEachCharacter(text, [&](std::string_view character) { visited.emplace_back(character); });
  EXPECT_EQ(visited, expected);
  size_t walked = 0;
  forEachCharacter(text, [&](std::string_view) { return ++walked < 3; });  // false stops the walk
  EXPECT_EQ(walked, 3u);
  std::string prefix;
  for (size_t n = 0; n <= expected.size(); ++n) {
    EXPECT_EQ(characterPrefix(text, n), prefix) << n;
    if (n < expected.size()) prefix += expected[n];
  }
  EXPECT_EQ(characterPrefix(text, 1000), prefix);
}

TEST(TextTest, ScalarAndCharacterProperties) {
  const std::tuple<bool (*)(char32_t), std::u32string, std::u32string> cases[] = {
      {isControl, U"\t\u0085", U"\u200Ba"},  // zero-width space is format (Cf), not control
      {isLetter, U"a\u00DF\u05D0\u4E00\u01C5", U"1\u0301"},
      // Lower-case Cyrillic; title case (Lt); a Roman numeral is upper-case but not a letter.
      {isUppercaseLetter, U"A\u00C4\u0416\u03A3\u1E9E", U"\u0436\u01C5\u2163"},
      {isNumeric, U"7\u0663\u2163\u00BD\u00B2\u4E09", U"x\uFFFD"},
      {isWhitespace, U" \n\u00A0\u3000\u0085\u2028", U"\u200B\x1C"}};
  const std::u32string beyondUnicode = {0x110000, 0xFFFFFFFF};  // values with no properties
  for (const auto& [property, yes, no] : cases) {
    for (char32_t c : yes) EXPECT_TRUE(property(c)) << uint32_t{c};
    for (char32_t c : no + beyondUnicode) EXPECT_FALSE(property(c)) << uint32_t{c};
  }
  // A character has the properties of its first scalar; ill-formed text reads as U+FFFD.
  EXPECT_TRUE(isLetter("\u05D0\u05B7") && isUppercaseLetter("\u00C9") && isNumeric("\u00BD"));
  EXPECT_FALSE(isLetter("") || isNumeric("") || isUppercaseLetter("\xC3"));
}

TEST(TextTest, WholeTextTransforms) {
  // Full root mapping: ẞ to ß, İ grows by a combining dot, I is never the Turkish dotless i, and
  // final sigma depends on its context even in the root locale. ASCII alone takes a shortcut.
  expectMapped(lowercased, {{"Hello, WORLD 42 XYZ", "hello, world 42 xyz"},
                            {"\u1E9E\u0130I", "\u00DFi\u0307i"},
                            {"\u039F\u0394\u039F\u03A3 \u03A3", "\u03BF\u03B4\u03BF\u03C2 \u03C3"},
                            {"\u00C5NGSTR\u00D6M A\xFFz", "\u00E5ngstr\u00F6m a\uFFFDz"}});
  // Unicode White_Space goes from the ends; zero-width space is not White_Space.
  expectMapped(trimmed, {{"  \t a b \r\n", "a b"},
                         {"\u00A0\u3000\u200Bx y e\u0301\u0085\u2029", "\u200Bx y e\u0301"},
                         {" \u00A0 ", ""},
                         {" \xFF ", fffd()}});
  // Composed and decomposed forms; marks of different classes take their canonical order.
  for (const auto& [composed, decomposed] : Pairs{{"caf\u00E9", "cafe\u0301"},
                                                  {"\uD55C", "\u1112\u1161\u11AB"},
                                                  {"\u1EA1\u0301", "a\u0323\u0301"},
                                                  {"plain", "plain"}}) {
    EXPECT_EQ(nfd(composed), decomposed);
    EXPECT_EQ(nfc(decomposed), composed);
    EXPECT_TRUE(canonicallyEqual(composed, decomposed));
  }
  EXPECT_EQ(nfc("a\xFF"), "a" + fffd());
  // Marks in either order; the angstrom sign, a singleton; a ligature, equal only in compatibility.
  EXPECT_TRUE(canonicallyEqual("a\u0301\u0323", "a\u0323\u0301") &&
              canonicallyEqual("\u212B", "\u00C5"));
  EXPECT_FALSE(canonicallyEqual("cafe", "caf\u00E9") || canonicallyEqual("\uFB01", "fi"));
}

TEST(TextTest, RandomBytesKeepInvariants) {
  test::RandomInput random(20240611);
  for (int round = 0; round <= 3000; ++round) {
    std::string bytes = random.text(48);
    while (round == 3000 && bytes.size() < 100 * 1000) {  // the last input is large
      bytes += random.text(1000, {"\u00E9", "e\u0301", "\r\n"});
    }
    SCOPED_TRACE(::testing::PrintToString(bytes.substr(0, 100)));
    const std::string repaired = repairUtf8(bytes);
    ASSERT_TRUE(isValidUtf8(repaired));
    ASSERT_EQ(repairUtf8(repaired), repaired);
    ASSERT_EQ(repaired, repairedByIcuConverter(bytes));
    ASSERT_EQ(encode(decode(bytes)), repaired);
    ASSERT_EQ(scalarCount(bytes), scalarCount(repaired));
    const size_t n = round % 7, count = characterCount(bytes);
    const std::string prefix = characterPrefix(bytes, n);
    ASSERT_EQ(repaired.compare(0, prefix.size(), prefix), 0);
    ASSERT_EQ(characterCount(prefix), std::min(n, count));
    ASSERT_EQ(characters(bytes).size(), count);
    for (const std::string& derived :
         {lowercased(bytes), trimmed(bytes), scalarPrefix(bytes, n), nfc(bytes)}) {
      ASSERT_TRUE(isValidUtf8(derived));
    }
    ASSERT_TRUE(canonicallyEqual(nfd(bytes), nfc(bytes)));
  }
}

}  // namespace
}  // namespace qb::text
