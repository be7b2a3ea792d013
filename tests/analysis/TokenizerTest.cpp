#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <tuple>

#include "analysis/Tokenizer.h"
#include "base/Error.h"
#include "base/File.h"
#include "base/Log.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::ThrowsError;
using Ids = std::vector<int32_t>;
using Tokens = std::vector<std::string>;

// The vocabulary of most tests: one token per line, the id is the line number.
// clang-format off
const Tokens kTokens = {
    "[PAD]",  "[UNK]",  "[CLS]",  "[SEP]",   "hello",  ",",       "world",  "!",
    "cafe",   "angstrom", "a",    "b",       "c",      "$",       "5",      "+",
    "3",      "\u20AC", "##5",    "play",    "##ing",  "pla",     "##ying", "help",
    "x",      "y",      "\u4E2D", "\u6587",  "\u4E2D\u6587",       "\u3072\u3089\u304B\u306A",
    "\u3072", "\uD55C\uAD6D\uC5B4",  "\uD55C",  "q",      "##q",     std::string(100, 'q'),
    "\u0436", "##\u0436", "\u03C3\u03B1\u03C3", "the", "quick", "brown", "fox", "jumps",
    "over",   "lazy",   "dog",    "ab",      "\u00A9", "\u2014",  "\u00AB", "\u00BB",
    "\u3002", "^",      "`",      "ss",      "i",      "\u00DF",  "[MASK]", "[",
    "]",      "mask",
};
// clang-format on

WordPiece parsed(std::string_view text) { return WordPiece::parse(text, "vocab.txt"); }

const WordPiece kVocab = parsed(std::accumulate(
    kTokens.begin() + 1, kTokens.end(), kTokens[0],
    [](const std::string& text, const std::string& token) { return text + "\n" + token; }));

Ids encode(const std::string& text, int64_t maxLength = 128) {
  return kVocab.encode(text, maxLength);
}

// cls, the ids of the tokens (their lines in kTokens), sep.
Ids framed(Tokens tokens) {
  tokens.insert(tokens.begin(), "[CLS]");
  tokens.push_back("[SEP]");
  Ids ids;
  for (const std::string& t : tokens)
    ids.push_back(std::ranges::find(kTokens, t) - kTokens.begin());
  return ids;
}

TEST(WordPieceTest, NormalisesSplitsAndMatchesWords) {
  const std::pair<std::string, Tokens> cases[] = {
      // Gone: a lone combining mark, Cf, controls, NUL, U+FFFD, private use, unassigned.
      {std::string("\u0301\u200B\x01\x7F\0", 8) + "\uFFFD\uE000\u0378\u0085\v\f", {}},
      {"Hello, World! HELLO,WORLD!", {"hello", ",", "world", "!", "hello", ",", "world", "!"}},
      // Accents are stripped and case folded; the Angstrom sign decomposes to A with a ring.
      {"Caf\u00E9 Cafe\u0301 CAF\u00C9", {"cafe", "cafe", "cafe"}},
      {"\u00C5NGSTR\u00D6M \u212BNGSTROM", {"angstrom", "angstrom"}},
      // Full lower case, scalar by scalar: final capital sigma is σ, ẞ is ß, İ is i and a mark.
      {"\u03A3\u0391\u03A3 \u1E9E \u0130", {"\u03C3\u03B1\u03C3", "\u00DF", "i"}},
      // White_Space separates words; controls (vertical tab, form feed, NEL) and Cf go first.
      {"a\tb\r\nc\nb\rc\u00A0a\u2028b\u3000c", {"a", "b", "c", "b", "c", "a", "b", "c"}},
      {"a\vb a\fb a\u0085b a\u200Db", {"ab", "ab", "ab", "ab"}},
      // CJK ideographs are words; kana and hangul runs are not (が loses its mark like an accent).
      {"\u4E2D\u6587 x\u4E2Dy \u3072\u3089\u304C\u306A \uD55C\uAD6D\uC5B4",
       {"\u4E2D", "\u6587", "x", "\u4E2D", "y", "\u3072\u3089\u304B\u306A", "\uD55C\uAD6D\uC5B4"}},
      // Symbols and punctuation split, [MASK] in text too; € (Sc) and © (So) do not.
      {"$5+3 \u20AC5 a^b`c", {"$", "5", "+", "3", "\u20AC", "##5", "a", "^", "b", "`", "c"}},
      {"a\u2014b\u00ABc\u00BBa\u3002",
       {"a", "\u2014", "b", "\u00AB", "c", "\u00BB", "a", "\u3002"}},
      {"\u00A9 a\u00A9 [MASK]", {"\u00A9", "[UNK]", "[", "mask", "]"}},
      // Greedy longest match; a rest no "##" piece covers makes the whole word unknown.
      {"playing play hello helpx world", {"play", "##ing", "play", "hello", "[UNK]", "world"}},
      {"hel\xFFlo \xC3", {"hello"}},  // ill-formed text reads as U+FFFD, which goes
  };
  for (const auto& [text, tokens] : cases) EXPECT_EQ(encode(text), framed(tokens)) << text;
}

TEST(WordPieceTest, EveryCjkRangeSplits) {
  // The ends of each range split off, so x and y stay words; beside the ranges, "x?y" is one word.
  for (const char* ideograph :
       {"\u4E00", "\u9FA5", "\u3400", "\u4DBF", "\U00020000", "\U0002A6D6", "\U0002A700",
        "\U0002CEA1", "\uF900", "\uFAD9", "\U0002F800", "\U0002FA1D"}) {
    EXPECT_EQ(encode(std::string("x") + ideograph + "y"), framed({"x", "[UNK]", "y"})) << ideograph;
  }
  for (const char* other : {"\uA000", "\u3041", "\u2E80", "\U00030000"}) {
    EXPECT_EQ(encode(std::string("x") + other + "y"), framed({"[UNK]"})) << other;
  }
}

TEST(WordPieceTest, WordsOfAHundredScalarsAreMatchedLongerOnesAreNot) {
  EXPECT_EQ(encode(std::string(100, 'q')), framed({std::string(100, 'q')}));
  EXPECT_EQ(encode(std::string(101, 'Q')), framed({"[UNK]"}));
  // Scalars, not bytes, and not the marks normalisation drops: 100 two-byte letters are matched.
  std::string zhe100, accented;
  for (int i = 0; i < 100; ++i) zhe100 += "\u0416", accented += "q\u0301";
  Tokens pieces(100, "##\u0436");
  pieces[0] = "\u0436";
  EXPECT_EQ(encode(zhe100, 512), framed(pieces));
  EXPECT_EQ(encode(zhe100 + "\u0436", 512), framed({"[UNK]"}));
  EXPECT_EQ(encode(accented), framed({std::string(100, 'q')}));
}

TEST(WordPieceTest, MaxLengthCutsPiecesAndKeepsSep) {
  const std::string text = "the quick brown fox jumps over the lazy dog";
  EXPECT_EQ(encode(text, 8), framed({"the", "quick", "brown", "fox", "jumps", "over"}));
  EXPECT_EQ(encode(text, 2), framed({}));
  for (int64_t tiny : {1, 0, -5}) EXPECT_EQ(encode(text, tiny), Ids{3}) << tiny;
  EXPECT_EQ(encode(text, INT64_MAX).size(), 11u);
  // A word's pieces are cut in the middle.
  EXPECT_EQ(encode("playing", 3), framed({"play"}));
  EXPECT_EQ(encode("the playing", 4), framed({"the", "play"}));
}

TEST(WordPieceEquivalenceTest, TokensAreComparedUnderCanonicalEquivalence) {
  // Lines: U+8C48 (≡ U+F900); 한, then its jamo (skipped); the jamo of 국; e and an acute, then é
  // (skipped); ##국.
  const WordPiece v = parsed(
      "[CLS]\n[SEP]\n[UNK]\n\u8C48\n\uD55C\n\u1112\u1161\u11AB\n\u1100\u116E\u11A8\n"
      "e\u0301\n\u00E9\n##\uAD6D");
  EXPECT_EQ(std::tuple(v.size(), v.id("\uD55C"), v.id("\u00E9")), std::tuple(8u, 4, 7));
  // In text, both spellings of each syllable give the same id.
  EXPECT_EQ(
      v.encode("\uF900 \uD55C \u1112\u1161\u11AB \uD55C\uAD6D \u1112\u1161\u11AB\u1100\u116E\u11A8",
               16),
      (Ids{0, 3, 4, 4, 4, 9, 4, 9, 1}));
  // U+1D165 (combining class 216) and U+1D16D (226) are spacing marks that survive normalisation;
  // U+0941 is a nonspacing mark of class 0, which normalisation drops. Between them in the text
  // it keeps NFD from reordering them; once dropped, the word holds 226 before 216: not NFD, but
  // canonically equivalent to the vocabulary's line, which has them in order.
  const WordPiece marks =
      parsed("[CLS]\n[SEP]\n[UNK]\na\U0001D165\U0001D16D\na\n##\U0001D165\U0001D16D");
  EXPECT_EQ(marks.encode("a\U0001D16D\u0941\U0001D165 a\U0001D16D\U0001D165", 16),
            (Ids{0, 3, 3, 1}));
}

TEST(WordPieceLinesTest, LinesEndOnlyAtALineFeedAndTheFirstDuplicateWinsAndIsLogged) {
  std::vector<std::string> logged;
  log::setSink([&](log::Level, std::string_view message) { logged.emplace_back(message); });
  const WordPiece v = parsed("[CLS]\n\n[SEP]\n[UNK]\nx\n\n\nx\ny\n[CLS]\n");
  log::setSink({});
  // Empty lines count; the later x and [CLS] are skipped, and the log says so.
  EXPECT_EQ(std::tuple(v.cls(), v.sep(), v.unk(), v.id("x"), v.id("y"), v.size()),
            std::tuple(0, 2, 3, std::optional(4), std::optional(8), size_t{5}));
  EXPECT_EQ(v.encode("x y", 16), (Ids{0, 4, 8, 2}));
  for (const char* absent : {"X", "", "x "}) EXPECT_EQ(v.id(absent), std::nullopt) << absent;
  EXPECT_THAT(logged, ::testing::ElementsAre(::testing::HasSubstr(
                          "vocab.txt: 2 lines repeat an earlier token and are skipped, the "
                          "first on line 8")));

  // Line 1 is "x\r\ny" (CR LF is one character); a lone CR stays in its line; nothing is trimmed.
  const WordPiece crlf = parsed("\n[CLS]\nx\r\ny\n[SEP]\n[UNK]\na\rb\n z\nz \nz");
  EXPECT_EQ(std::tuple(crlf.cls(), crlf.sep(), crlf.unk()), std::tuple(1, 3, 4));
  EXPECT_EQ(crlf.id("x"), std::nullopt);
  for (auto [token, line] : {std::pair{"x\r\ny", 2}, {"a\rb", 5}, {" z", 6}, {"z ", 7}, {"z", 8}}) {
    EXPECT_EQ(crlf.id(token), line) << token;
  }
}

TEST(WordPieceFileTest, UnreadableNonUtf8AndCorruptFilesFailWithTheirCodes) {
  const test::TempDir dir;
  const fs::path path = dir / "vocab.txt";
  auto load = [&] { WordPiece{path}; };
  EXPECT_THAT(load, ThrowsError(Error::kFileDomain, file::kNoSuchFileCode, path.string()));
  test::writeFile(path, "[CLS]\n[SEP]\n[UNK]\n\xC3\x28\n");
  EXPECT_THAT(load, ThrowsError(Error::kFileDomain, file::kInapplicableEncodingCode, "UTF-8"));
  test::writeFile(path, "[CLS]\n[SEP]\n[UNK]");
  EXPECT_EQ(WordPiece(path).size(), 3u);
  // Nothing is trimmed nor case-folded, and CR LF ends no line.
  for (const auto& [content, reason] :
       {std::pair{"", "empty vocabulary"},
        {"\n\n\n", "empty vocabulary"},
        {"[SEP]\n[UNK]\nx", "the vocabulary has no [CLS]"},
        {"[CLS]\n[UNK]\nx", "the vocabulary has no [SEP]"},
        {"[CLS]\n[SEP]\nx", "the vocabulary has no [UNK]"},
        {"[CLS] \n[SEP]\n[UNK]", "the vocabulary has no [CLS]"},
        {"[cls]\n[sep]\n[unk]", "the vocabulary has no [CLS]"},
        {"[CLS]\r\n[SEP]\r\n[UNK]\r\n", "the vocabulary has no [CLS]"}}) {
    test::writeFile(path, content);
    EXPECT_THAT(load, ThrowsError(Error::kFileDomain, Error::kFileReadCorruptCode,
                                  path.string() + ": " + reason));
  }
}

}  // namespace
}  // namespace qb
