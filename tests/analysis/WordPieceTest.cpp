#include "analysis/Tokenizer.h"

#include <gtest/gtest.h>

#include "base/File.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/Error.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

// A folder of its own under the temporary folder, removed with everything in it.
class TempDir {
public:
  TempDir() {
    static std::atomic<int> counter{0};
    std::random_device random;
    path_ = fs::temp_directory_path() /
            ("qb-wordpiece-" + std::to_string(random()) + "-" + std::to_string(counter++));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

  fs::path write(const std::string& name, const std::string& bytes) const {
    const fs::path file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    return file;
  }

private:
  fs::path path_;
};

// The vocabulary of most tests: one token per line, the id is the line number.
// clang-format off
const std::vector<std::string> kTokens = {
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

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) text += '\n';
    text += lines[i];
  }
  return text;
}

class WordPieceTest : public ::testing::Test {
protected:
  void SetUp() override {
    vocab_ = std::make_unique<WordPiece>(dir_.write("vocab.txt", joined(kTokens)));
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
  static std::vector<int32_t> framed(const std::vector<std::string>& tokens) {
    std::vector<int32_t> ids = {id("[CLS]")};
    for (const std::string& token : tokens) ids.push_back(id(token));
    ids.push_back(id("[SEP]"));
    return ids;
  }

  std::vector<int32_t> encode(const std::string& text, int64_t maxLength = 128) const {
    return vocab().encode(text, maxLength);
  }

  TempDir dir_;
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

TEST_F(WordPieceTest, EmptyWhiteSpaceControlsAndMarksGiveClsSep) {
  EXPECT_EQ(encode(""), framed({}));
  EXPECT_EQ(encode(" \t\r\n  \u3000\u00A0"), framed({}));
  // A lone combining mark, zero-width space (Cf), controls, NUL, U+FFFD, private use, unassigned.
  EXPECT_EQ(encode(std::string("\u0301\u200B\x01\x7F", 7) + std::string(1, '\0') +
                   "\uFFFD\uE000\u0378\u0085\v\f"),
            framed({}));
}

TEST_F(WordPieceTest, HelloWorld) {
  EXPECT_EQ(encode("Hello, World!"), framed({"hello", ",", "world", "!"}));
  EXPECT_EQ(encode("HELLO,WORLD!"), framed({"hello", ",", "world", "!"}));
}

TEST_F(WordPieceTest, AccentsAreStrippedAndCaseIsFolded) {
  EXPECT_EQ(encode("Caf\u00E9"), framed({"cafe"}));
  EXPECT_EQ(encode("Cafe\u0301"), framed({"cafe"}));
  EXPECT_EQ(encode("CAF\u00C9"), framed({"cafe"}));
  EXPECT_EQ(encode("\u00C5NGSTR\u00D6M"), framed({"angstrom"}));
  // The Angstrom sign decomposes canonically to A with a ring.
  EXPECT_EQ(encode("\u212BNGSTROM"), framed({"angstrom"}));
}

TEST_F(WordPieceTest, LowerCasingIsPerScalarAndFull) {
  // Context-free: a capital sigma at the end of a word is σ, not the final ς.
  EXPECT_EQ(encode("\u03A3\u0391\u03A3"), framed({"\u03C3\u03B1\u03C3"}));
  // Capital sharp s lower-cases to ß; dotted capital I decomposes to I and a mark, which goes.
  EXPECT_EQ(encode("\u1E9E"), framed({"\u00DF"}));
  EXPECT_EQ(encode("\u0130"), framed({"i"}));
}

TEST_F(WordPieceTest, TabsAndLineEndsSeparateWords) {
  EXPECT_EQ(encode("a\tb\r\nc"), framed({"a", "b", "c"}));
  EXPECT_EQ(encode("a\nb\rc"), framed({"a", "b", "c"}));
  // Other White_Space is a separator too (no-break space, line separator, ideographic space).
  EXPECT_EQ(encode("a\u00A0b\u2028c"), framed({"a", "b", "c"}));
  EXPECT_EQ(encode("a\u3000b"), framed({"a", "b"}));
}

TEST_F(WordPieceTest, DroppedControlsJoinTheirNeighbours) {
  // Vertical tab, form feed and NEL are controls: dropped before the white-space test.
  EXPECT_EQ(encode("a\vb"), framed({"ab"}));
  EXPECT_EQ(encode("a\fb"), framed({"ab"}));
  EXPECT_EQ(encode("a\u0085b"), framed({"ab"}));
  EXPECT_EQ(encode("a\u200Db"), framed({"ab"}));  // zero-width joiner (Cf)
}

TEST_F(WordPieceTest, CjkIdeographsAreWordsOfTheirOwn) {
  EXPECT_EQ(encode("\u4E2D\u6587"), framed({"\u4E2D", "\u6587"}));
  EXPECT_EQ(encode("x\u4E2Dy"), framed({"x", "\u4E2D", "y"}));
  // Kana and hangul runs are not split. (The voiced mark of が is a nonspacing mark once
  // decomposed, so it goes like an accent: ひらがな is looked up as ひらかな.)
  EXPECT_EQ(encode("\u3072\u3089\u304C\u306A"), framed({"\u3072\u3089\u304B\u306A"}));
  EXPECT_EQ(encode("\uD55C\uAD6D\uC5B4"), framed({"\uD55C\uAD6D\uC5B4"}));
}

TEST_F(WordPieceTest, EveryCjkRangeSplits) {
  const int32_t x = id("x"), y = id("y"), unk = vocab().unk();
  // One assigned ideograph at each end of each range: split off, so x and y stay words (and the
  // unknown ideograph between them is [UNK]); not split, "x?y" would be one [UNK].
  for (const char* ideograph :
       {"\u4E00", "\u9FA5", "\u3400", "\u4DBF", "\U00020000", "\U0002A6D6", "\U0002A700",
        "\U0002CEA1", "\uF900", "\uFAD9", "\U0002F800", "\U0002FA1D"}) {
    EXPECT_EQ(encode(std::string("x") + ideograph + "y"),
              (std::vector<int32_t>{vocab().cls(), x, unk, y, vocab().sep()}))
        << ideograph;
  }
  // Next to the ranges but not in them: one word.
  for (const char* other : {"\uA000", "\u3041", "\u2E80", "\U00030000"}) {
    EXPECT_EQ(encode(std::string("x") + other + "y"), framed({"[UNK]"})) << other;
  }
}

TEST_F(WordPieceTest, CompatibilityIdeographMatchesItsCanonicalForm) {
  TempDir dir;
  // U+F900 is canonically equivalent to U+8C48.
  WordPiece v(dir.write("vocab.txt", "[CLS]\n[SEP]\n[UNK]\n\u8C48"));
  EXPECT_EQ(v.encode("\uF900", 16), (std::vector<int32_t>{0, 3, 1}));
}

TEST_F(WordPieceTest, PunctuationClasses) {
  EXPECT_EQ(encode("$5+3"), framed({"$", "5", "+", "3"}));
  // The euro sign is a symbol (Sc), not punctuation: "€5" stays one word.
  EXPECT_EQ(encode("\u20AC5"), framed({"\u20AC", "##5"}));
  // ASCII symbols are punctuation; non-ASCII punctuation classes split; © (So) does not.
  EXPECT_EQ(encode("a^b`c"), framed({"a", "^", "b", "`", "c"}));
  EXPECT_EQ(encode("a\u2014b\u00ABc\u00BBa\u3002"),
            framed({"a", "\u2014", "b", "\u00AB", "c", "\u00BB", "a", "\u3002"}));
  EXPECT_EQ(encode("\u00A9"), framed({"\u00A9"}));
  EXPECT_EQ(encode("a\u00A9"), framed({"[UNK]"}));
  // Other bracketed lines are plain tokens; in text the brackets split.
  EXPECT_EQ(encode("[MASK]"), framed({"[", "mask", "]"}));
}

TEST_F(WordPieceTest, GreedyLongestMatch) {
  EXPECT_EQ(encode("playing"), framed({"play", "##ing"}));
  EXPECT_EQ(encode("play"), framed({"play"}));
}

TEST_F(WordPieceTest, UncoveredRestMakesTheWholeWordUnknown) {
  // "help" is known but no "##" piece covers the "x" after it: one [UNK], not [help, UNK].
  EXPECT_EQ(encode("helpx"), framed({"[UNK]"}));
  EXPECT_EQ(encode("hello helpx world"), framed({"hello", "[UNK]", "world"}));
}

TEST_F(WordPieceTest, WordsOfAHundredScalarsAreMatchedLongerOnesAreNot) {
  EXPECT_EQ(encode(std::string(100, 'q')), framed({std::string(100, 'q')}));
  EXPECT_EQ(encode(std::string(101, 'Q')), framed({"[UNK]"}));
  // Counted in scalars, not bytes: 100 two-byte letters are matched piece by piece.
  std::string zhe100, zhe101;
  for (int i = 0; i < 100; ++i) zhe100 += "\u0416";
  zhe101 = zhe100 + "\u0436";
  std::vector<int32_t> expected = {vocab().cls(), id("\u0436")};
  for (int i = 1; i < 100; ++i) expected.push_back(id("##\u0436"));
  expected.push_back(vocab().sep());
  EXPECT_EQ(encode(zhe100, 512), expected);
  EXPECT_EQ(encode(zhe101, 512), framed({"[UNK]"}));
  // Marks that normalisation drops do not count: 100 letters with accents are 100 scalars.
  std::string accented;
  for (int i = 0; i < 100; ++i) accented += "q\u0301";
  EXPECT_EQ(encode(accented), framed({std::string(100, 'q')}));
}

TEST_F(WordPieceTest, MaxLengthCutsPiecesAndKeepsSep) {
  const std::string text = "the quick brown fox jumps over the lazy dog";
  EXPECT_EQ(encode(text, 8), framed({"the", "quick", "brown", "fox", "jumps", "over"}));
  EXPECT_EQ(encode(text, 8).size(), 8u);
  EXPECT_EQ(encode(text, 2), framed({}));
  EXPECT_EQ(encode(text, 1), std::vector<int32_t>{vocab().sep()});
  EXPECT_EQ(encode(text, 0), std::vector<int32_t>{vocab().sep()});
  EXPECT_EQ(encode(text, -5), std::vector<int32_t>{vocab().sep()});
  EXPECT_EQ(encode(text, INT64_MAX),
            framed({"the", "quick", "brown", "fox", "jumps", "over", "the", "lazy", "dog"}));
  // A word's pieces are cut in the middle.
  EXPECT_EQ(encode("playing", 3), framed({"play"}));
  EXPECT_EQ(encode("the playing", 4), framed({"the", "play"}));
}

TEST_F(WordPieceTest, CanonicallyEquivalentTokensAreOne) {
  TempDir dir;
  // Line 3: a precomposed Hangul syllable; line 4: its conjoining jamo (a duplicate, skipped);
  // line 5: jamo of another syllable; line 6: e with a combining acute; line 7: precomposed é
  // (a duplicate); line 8: a continuation piece.
  WordPiece v(dir.write("vocab.txt",
                        "[CLS]\n[SEP]\n[UNK]\n\uD55C\n\u1112\u1161\u11AB\n\u1100\u116E\u11A8\n"
                        "e\u0301\n\u00E9\n##\uAD6D"));
  EXPECT_EQ(v.size(), 7u);
  EXPECT_EQ(v.id("\u1112\u1161\u11AB"), 3);
  EXPECT_EQ(v.id("\uD55C"), 3);
  EXPECT_EQ(v.id("\uAD6D"), 5);
  EXPECT_EQ(v.id("\u00E9"), 6);
  // In text, both spellings of each syllable give the same id.
  EXPECT_EQ(v.encode("\uD55C", 16), (std::vector<int32_t>{0, 3, 1}));
  EXPECT_EQ(v.encode("\u1112\u1161\u11AB", 16), (std::vector<int32_t>{0, 3, 1}));
  EXPECT_EQ(v.encode("\uAD6D", 16), (std::vector<int32_t>{0, 5, 1}));
  EXPECT_EQ(v.encode("\uD55C\uAD6D", 16), (std::vector<int32_t>{0, 3, 8, 1}));
  EXPECT_EQ(v.encode("\u1112\u1161\u11AB\u1100\u116E\u11A8", 16),
            (std::vector<int32_t>{0, 3, 8, 1}));
}

TEST_F(WordPieceTest, WordsThatAreNotInNfdAreStillMatchedUnderEquivalence) {
  TempDir dir;
  // U+1D165 (combining class 216) and U+1D16D (226) are spacing marks that survive normalisation;
  // U+0941 is a nonspacing mark of class 0, which normalisation drops. Between them in the text
  // it keeps NFD from reordering them; once dropped, the word holds 226 before 216: not NFD, but
  // canonically equivalent to the vocabulary's line, which has them in order.
  WordPiece v(dir.write("vocab.txt",
                        "[CLS]\n[SEP]\n[UNK]\na\U0001D165\U0001D16D\na\n##\U0001D165\U0001D16D"));
  EXPECT_EQ(v.encode("a\U0001D16D\u0941\U0001D165", 16), (std::vector<int32_t>{0, 3, 1}));
  EXPECT_EQ(v.encode("a\U0001D16D\U0001D165", 16), (std::vector<int32_t>{0, 3, 1}));
}

TEST_F(WordPieceTest, DuplicateLineKeepsTheFirstIdAndEmptyLinesCount) {
  TempDir dir;
  WordPiece v(dir.write("vocab.txt", "[CLS]\n\n[SEP]\n[UNK]\nx\n\n\nx\ny\n[CLS]\n"));
  EXPECT_EQ(v.cls(), 0);
  EXPECT_EQ(v.sep(), 2);
  EXPECT_EQ(v.unk(), 3);
  EXPECT_EQ(v.id("x"), 4);
  EXPECT_EQ(v.id("y"), 8);
  EXPECT_EQ(v.size(), 5u);
  EXPECT_EQ(v.encode("x y", 16), (std::vector<int32_t>{0, 4, 8, 2}));
}

TEST_F(WordPieceTest, OnlyALineFeedWithoutCarriageReturnEndsALine) {
  TempDir dir;
  // Line 1 is "x\r\ny" (CR LF is one character); a lone CR stays in its line; nothing is trimmed.
  WordPiece v(dir.write("vocab.txt", "\n[CLS]\nx\r\ny\n[SEP]\n[UNK]\na\rb\n z\nz \nz"));
  EXPECT_EQ(v.cls(), 1);
  EXPECT_EQ(v.id("x\r\ny"), 2);
  EXPECT_EQ(v.id("x"), std::nullopt);
  EXPECT_EQ(v.sep(), 3);
  EXPECT_EQ(v.unk(), 4);
  EXPECT_EQ(v.id("a\rb"), 5);
  EXPECT_EQ(v.id(" z"), 6);
  EXPECT_EQ(v.id("z "), 7);
  EXPECT_EQ(v.id("z"), 8);
}

TEST_F(WordPieceTest, MissingFileIsAReadError) {
  TempDir dir;
  try {
    WordPiece v(dir.path() / "vocab.txt");
    FAIL() << "loaded a missing file";
  } catch (const Error& error) {
    EXPECT_EQ(error.domain(), Error::kFileDomain);
    EXPECT_EQ(error.code(), file::kNoSuchFileCode);
    EXPECT_NE(std::string(error.what()).find((dir.path() / "vocab.txt").string()),
              std::string::npos);
  }
  try {
    WordPiece v(dir.path());
    FAIL() << "loaded a folder";
  } catch (const Error& error) {
    EXPECT_EQ(error.domain(), Error::kFileDomain);
    EXPECT_NE(error.code(), Error::kFileReadCorruptCode);
  }
}

TEST_F(WordPieceTest, InvalidUtf8IsADecodingErrorNotCorrupt) {
  TempDir dir;
  try {
    WordPiece v(dir.write("vocab.txt", "[CLS]\n[SEP]\n[UNK]\n\xC3\x28\n"));
    FAIL() << "loaded invalid UTF-8";
  } catch (const Error& error) {
    EXPECT_EQ(error.domain(), Error::kFileDomain);
    EXPECT_EQ(error.code(), file::kInapplicableEncodingCode);
  }
}

TEST_F(WordPieceTest, EmptyOrWithoutSpecialTokensIsCorruptWithThePath) {
  TempDir dir;
  const std::vector<std::string> contents = {
      "",
      "\n\n\n",
      "[SEP]\n[UNK]\nx",
      "[CLS]\n[UNK]\nx",
      "[CLS]\n[SEP]\nx",
      "[CLS] \n[SEP]\n[UNK]",         // nothing is trimmed
      "[cls]\n[sep]\n[unk]",          // nor case-folded
      "[CLS]\r\n[SEP]\r\n[UNK]\r\n",  // CR LF line ends are no line ends
  };
  for (const std::string& content : contents) {
    const fs::path file = dir.write("vocab.txt", content);
    try {
      WordPiece v(file);
      ADD_FAILURE() << "loaded " << testing::PrintToString(content);
    } catch (const Error& error) {
      EXPECT_EQ(error.domain(), Error::kFileDomain);
      EXPECT_EQ(error.code(), Error::kFileReadCorruptCode) << testing::PrintToString(content);
      EXPECT_NE(std::string(error.what()).find(file.string()), std::string::npos) << error.what();
    }
  }
}

TEST_F(WordPieceTest, IllFormedTextIsReadAsReplacementCharactersAndDropped) {
  EXPECT_EQ(encode("hel\xFFlo \xC3"), framed({"hello"}));
}

TEST_F(WordPieceTest, EncodingIsSafeFromManyThreads) {
  const std::vector<int32_t> expected = encode("Hello, World! Caf\u00E9 playing");
  std::vector<std::thread> threads;
  std::atomic<int> mismatches{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i) {
        if (encode("Hello, World! Caf\u00E9 playing") != expected) ++mismatches;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace qb
