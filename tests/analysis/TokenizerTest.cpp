#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "analysis/Tokenizer.h"
#include "base/Error.h"
#include "base/File.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using Ids = std::vector<int32_t>;
using Tokens = std::vector<std::string>;

// A folder of its own under the temporary folder, removed with everything in it.
class ScratchDir {
public:
  ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "qb-wordpiece-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~ScratchDir() { fs::remove_all(path_); }
  fs::path write(const std::string& bytes) const {
    std::ofstream(path_ / "vocab.txt", std::ios::binary) << bytes;
    return path_ / "vocab.txt";
  }
  const fs::path& path() const { return path_; }

private:
  fs::path path_;
};

// The error that loading the file throws, or absent when it loads.
std::optional<Error> loadError(const fs::path& file) {
  try {
    WordPiece v(file);
  } catch (const Error& error) {
    return error;
  }
  return std::nullopt;
}

WordPiece parsed(std::string_view text) { return WordPiece::parse(text, "vocab.txt"); }

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

class WordPieceTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string text;
    for (const std::string& token : kTokens) text += (text.empty() ? "" : "\n") + token;
    vocab_ = std::make_unique<WordPiece>(dir_.write(text));  // read from a file, as shipped
  }

  const WordPiece& vocab() const { return *vocab_; }

  // The id of a token of kTokens, by its line.
  static int32_t id(const std::string& token) {
    for (size_t i = 0; i < kTokens.size(); ++i) {
      if (kTokens[i] == token) return static_cast<int32_t>(i);
    }
    ADD_FAILURE() << "no token " << token;
    return -1;
  }

  // cls, the ids of the tokens, sep.
  static Ids framed(const Tokens& tokens) {
    Ids ids = {id("[CLS]")};
    for (const std::string& token : tokens) ids.push_back(id(token));
    ids.push_back(id("[SEP]"));
    return ids;
  }

  Ids encode(const std::string& text, int64_t maxLength = 128) const {
    return vocab().encode(text, maxLength);
  }

  ScratchDir dir_;
  std::unique_ptr<WordPiece> vocab_;
};

TEST_F(WordPieceTest, LoadsIdsByLine) {
  EXPECT_EQ(vocab().cls(), 2);
  EXPECT_EQ(vocab().sep(), 3);
  EXPECT_EQ(vocab().unk(), 1);
  EXPECT_EQ(vocab().size(), kTokens.size());
  EXPECT_EQ(vocab().id("hello"), 4);
  EXPECT_EQ(vocab().id("Hello"), std::nullopt);
  EXPECT_EQ(vocab().id(""), std::nullopt);
}

TEST_F(WordPieceTest, NormalisesSplitsAndMatchesWords) {
  const std::vector<std::pair<std::string, Tokens>> cases = {
      // White space; a lone combining mark, zero-width space (Cf), controls, NUL, U+FFFD,
      // private use, unassigned: nothing.
      {"", {}},
      {" \t\r\n  \u3000\u00A0", {}},
      {std::string("\u0301\u200B\x01\x7F\0", 8) + "\uFFFD\uE000\u0378\u0085\v\f", {}},
      {"Hello, World!", {"hello", ",", "world", "!"}},
      {"HELLO,WORLD!", {"hello", ",", "world", "!"}},
      // Accents are stripped and case folded; the Angstrom sign decomposes to A with a ring.
      {"Caf\u00E9", {"cafe"}},
      {"Cafe\u0301", {"cafe"}},
      {"CAF\u00C9", {"cafe"}},
      {"\u00C5NGSTR\u00D6M", {"angstrom"}},
      {"\u212BNGSTROM", {"angstrom"}},
      // Lower-casing is per scalar and full: a final capital sigma is σ, not ς; ẞ is ß; dotted
      // capital I decomposes to I and a mark, which goes.
      {"\u03A3\u0391\u03A3", {"\u03C3\u03B1\u03C3"}},
      {"\u1E9E", {"\u00DF"}},
      {"\u0130", {"i"}},
      // Tabs, line ends and other White_Space separate words...
      {"a\tb\r\nc", {"a", "b", "c"}},
      {"a\nb\rc", {"a", "b", "c"}},
      {"a\u00A0b\u2028c", {"a", "b", "c"}},
      {"a\u3000b", {"a", "b"}},
      // ...while controls (vertical tab, form feed, NEL) and Cf are dropped first.
      {"a\vb", {"ab"}},
      {"a\fb", {"ab"}},
      {"a\u0085b", {"ab"}},
      {"a\u200Db", {"ab"}},
      // CJK ideographs are words of their own; kana and hangul runs are not split (the voiced
      // mark of が goes like an accent once decomposed).
      {"\u4E2D\u6587", {"\u4E2D", "\u6587"}},
      {"x\u4E2Dy", {"x", "\u4E2D", "y"}},
      {"\u3072\u3089\u304C\u306A", {"\u3072\u3089\u304B\u306A"}},
      {"\uD55C\uAD6D\uC5B4", {"\uD55C\uAD6D\uC5B4"}},
      // ASCII symbols and non-ASCII punctuation split; € (Sc) and © (So) do not.
      {"$5+3", {"$", "5", "+", "3"}},
      {"\u20AC5", {"\u20AC", "##5"}},
      {"a^b`c", {"a", "^", "b", "`", "c"}},
      {"a\u2014b\u00ABc\u00BBa\u3002",
       {"a", "\u2014", "b", "\u00AB", "c", "\u00BB", "a", "\u3002"}},
      {"\u00A9", {"\u00A9"}},
      {"a\u00A9", {"[UNK]"}},
      {"[MASK]", {"[", "mask", "]"}},  // bracketed lines are plain tokens; brackets split
      // Greedy longest match; a rest no "##" piece covers makes the whole word unknown.
      {"playing", {"play", "##ing"}},
      {"play", {"play"}},
      {"helpx", {"[UNK]"}},
      {"hello helpx world", {"hello", "[UNK]", "world"}},
      {"hel\xFFlo \xC3", {"hello"}},  // ill-formed text reads as U+FFFD, which goes
  };
  for (const auto& [text, tokens] : cases) EXPECT_EQ(encode(text), framed(tokens)) << text;
}

TEST_F(WordPieceTest, EveryCjkRangeSplits) {
  const int32_t x = id("x"), y = id("y"), unk = vocab().unk();
  // One assigned ideograph at each end of each range: split off, so x and y stay words (and the
  // unknown ideograph between them is [UNK]); not split, "x?y" would be one [UNK].
  for (const char* ideograph :
       {"\u4E00", "\u9FA5", "\u3400", "\u4DBF", "\U00020000", "\U0002A6D6", "\U0002A700",
        "\U0002CEA1", "\uF900", "\uFAD9", "\U0002F800", "\U0002FA1D"}) {
    EXPECT_EQ(encode(std::string("x") + ideograph + "y"),
              (Ids{vocab().cls(), x, unk, y, vocab().sep()}))
        << ideograph;
  }
  // Next to the ranges but not in them: one word.
  for (const char* other : {"\uA000", "\u3041", "\u2E80", "\U00030000"}) {
    EXPECT_EQ(encode(std::string("x") + other + "y"), framed({"[UNK]"})) << other;
  }
}

TEST_F(WordPieceTest, WordsOfAHundredScalarsAreMatchedLongerOnesAreNot) {
  EXPECT_EQ(encode(std::string(100, 'q')), framed({std::string(100, 'q')}));
  EXPECT_EQ(encode(std::string(101, 'Q')), framed({"[UNK]"}));
  // Counted in scalars, not bytes: 100 two-byte letters are matched piece by piece.
  std::string zhe100;
  for (int i = 0; i < 100; ++i) zhe100 += "\u0416";
  Ids expected = {vocab().cls(), id("\u0436")};
  expected.insert(expected.end(), 99, id("##\u0436"));
  expected.push_back(vocab().sep());
  EXPECT_EQ(encode(zhe100, 512), expected);
  EXPECT_EQ(encode(zhe100 + "\u0436", 512), framed({"[UNK]"}));
  // Marks that normalisation drops do not count: 100 letters with accents are 100 scalars.
  std::string accented;
  for (int i = 0; i < 100; ++i) accented += "q\u0301";
  EXPECT_EQ(encode(accented), framed({std::string(100, 'q')}));
}

TEST_F(WordPieceTest, MaxLengthCutsPiecesAndKeepsSep) {
  const std::string text = "the quick brown fox jumps over the lazy dog";
  EXPECT_EQ(encode(text, 8), framed({"the", "quick", "brown", "fox", "jumps", "over"}));
  EXPECT_EQ(encode(text, 2), framed({}));
  for (int64_t tiny : {1, 0, -5}) EXPECT_EQ(encode(text, tiny), Ids{vocab().sep()}) << tiny;
  EXPECT_EQ(encode(text, INT64_MAX),
            framed({"the", "quick", "brown", "fox", "jumps", "over", "the", "lazy", "dog"}));
  // A word's pieces are cut in the middle.
  EXPECT_EQ(encode("playing", 3), framed({"play"}));
  EXPECT_EQ(encode("the playing", 4), framed({"the", "play"}));
}

TEST_F(WordPieceTest, TokensAreComparedUnderCanonicalEquivalence) {
  // U+F900 is canonically equivalent to U+8C48.
  EXPECT_EQ(parsed("[CLS]\n[SEP]\n[UNK]\n\u8C48").encode("\uF900", 16), (Ids{0, 3, 1}));

  // Line 3: a precomposed Hangul syllable; line 4: its conjoining jamo (a duplicate, skipped);
  // line 5: jamo of another syllable; line 6: e with a combining acute; line 7: precomposed é
  // (a duplicate); line 8: a continuation piece.
  WordPiece v = parsed(
      "[CLS]\n[SEP]\n[UNK]\n\uD55C\n\u1112\u1161\u11AB\n\u1100\u116E\u11A8\n"
      "e\u0301\n\u00E9\n##\uAD6D");
  EXPECT_EQ(v.size(), 7u);
  EXPECT_EQ(v.id("\u1112\u1161\u11AB"), 3);
  EXPECT_EQ(v.id("\uD55C"), 3);
  EXPECT_EQ(v.id("\uAD6D"), 5);
  EXPECT_EQ(v.id("\u00E9"), 6);
  // In text, both spellings of each syllable give the same id.
  EXPECT_EQ(v.encode("\uD55C", 16), (Ids{0, 3, 1}));
  EXPECT_EQ(v.encode("\u1112\u1161\u11AB", 16), (Ids{0, 3, 1}));
  EXPECT_EQ(v.encode("\uAD6D", 16), (Ids{0, 5, 1}));
  EXPECT_EQ(v.encode("\uD55C\uAD6D", 16), (Ids{0, 3, 8, 1}));
  EXPECT_EQ(v.encode("\u1112\u1161\u11AB\u1100\u116E\u11A8", 16), (Ids{0, 3, 8, 1}));

  // U+1D165 (combining class 216) and U+1D16D (226) are spacing marks that survive normalisation;
  // U+0941 is a nonspacing mark of class 0, which normalisation drops. Between them in the text
  // it keeps NFD from reordering them; once dropped, the word holds 226 before 216: not NFD, but
  // canonically equivalent to the vocabulary's line, which has them in order.
  WordPiece marks = parsed("[CLS]\n[SEP]\n[UNK]\na\U0001D165\U0001D16D\na\n##\U0001D165\U0001D16D");
  EXPECT_EQ(marks.encode("a\U0001D16D\u0941\U0001D165", 16), (Ids{0, 3, 1}));
  EXPECT_EQ(marks.encode("a\U0001D16D\U0001D165", 16), (Ids{0, 3, 1}));
}

TEST_F(WordPieceTest, LinesEndOnlyAtALineFeedAndTheFirstDuplicateWins) {
  WordPiece v = parsed("[CLS]\n\n[SEP]\n[UNK]\nx\n\n\nx\ny\n[CLS]\n");
  EXPECT_EQ(std::tuple(v.cls(), v.sep(), v.unk(), v.id("x"), v.id("y")),
            std::tuple(0, 2, 3, std::optional(4), std::optional(8)));  // empty lines count
  EXPECT_EQ(v.size(), 5u);
  EXPECT_EQ(v.encode("x y", 16), (Ids{0, 4, 8, 2}));

  // Line 1 is "x\r\ny" (CR LF is one character); a lone CR stays in its line; nothing is trimmed.
  WordPiece crlf = parsed("\n[CLS]\nx\r\ny\n[SEP]\n[UNK]\na\rb\n z\nz \nz");
  EXPECT_EQ(std::tuple(crlf.cls(), crlf.sep(), crlf.unk()), std::tuple(1, 3, 4));
  EXPECT_EQ(crlf.id("x"), std::nullopt);
  for (const auto& [token, line] : std::vector<std::pair<const char*, int32_t>>{
           {"x\r\ny", 2}, {"a\rb", 5}, {" z", 6}, {"z ", 7}, {"z", 8}}) {
    EXPECT_EQ(crlf.id(token), line) << token;
  }
}

TEST_F(WordPieceTest, UnreadableNonUtf8AndCorruptFilesFailWithTheirCodes) {
  ScratchDir dir;
  auto missing = loadError(dir.path() / "vocab.txt");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->domain(), Error::kFileDomain);
  EXPECT_EQ(missing->code(), file::kNoSuchFileCode);
  EXPECT_NE(std::string(missing->what()).find((dir.path() / "vocab.txt").string()),
            std::string::npos);
  auto folder = loadError(dir.path());
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->domain(), Error::kFileDomain);
  EXPECT_NE(folder->code(), Error::kFileReadCorruptCode);
  auto notUtf8 = loadError(dir.write("[CLS]\n[SEP]\n[UNK]\n\xC3\x28\n"));
  ASSERT_TRUE(notUtf8);
  EXPECT_EQ(notUtf8->domain(), Error::kFileDomain);
  EXPECT_EQ(notUtf8->code(), file::kInapplicableEncodingCode);

  // Empty, or without one of the special tokens: nothing is trimmed nor case-folded, and CR LF
  // line ends are no line ends.
  for (const char* content :
       {"", "\n\n\n", "[SEP]\n[UNK]\nx", "[CLS]\n[UNK]\nx", "[CLS]\n[SEP]\nx",
        "[CLS] \n[SEP]\n[UNK]", "[cls]\n[sep]\n[unk]", "[CLS]\r\n[SEP]\r\n[UNK]\r\n"}) {
    const fs::path file = dir.write(content);
    auto error = loadError(file);
    ASSERT_TRUE(error) << testing::PrintToString(content);
    EXPECT_EQ(error->domain(), Error::kFileDomain);
    EXPECT_EQ(error->code(), Error::kFileReadCorruptCode) << testing::PrintToString(content);
    EXPECT_NE(std::string(error->what()).find(file.string()), std::string::npos) << error->what();
  }
}

TEST_F(WordPieceTest, EncodingIsSafeFromManyThreads) {
  const Ids expected = encode("Hello, World! Caf\u00E9 playing");
  std::vector<std::thread> threads;
  std::atomic<int> mismatches{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i) {
        mismatches += encode("Hello, World! Caf\u00E9 playing") != expected;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace qb
