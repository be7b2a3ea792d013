#include "analysis/TitleWords.h"

#include <array>
#include <vector>

#include "base/NoDestructor.h"
#include "base/Regex.h"
#include "base/Text.h"

namespace qb::TitleWords {
namespace {

// Pieces shorter than this say too little to compare titles by.
constexpr size_t kMinWordCharacters = 4;
// Stems are compared by their first characters only, so long words and their derivations meet.
constexpr size_t kStemCharacters = 6;
// Digit-bearing tokens at least this long (a year, a course number, a version) enter whole.
constexpr size_t kMinNumberCharacters = 3;
// All-capital pieces of this length are acronyms and codes, kept as they are.
constexpr size_t kMinAcronymCharacters = 2;
constexpr size_t kMaxAcronymCharacters = 5;
// A suffix is removed only when at least this many characters remain before it.
constexpr size_t kMinStemCharacters = 4;

constexpr std::array<std::string_view, 4> kSuffixes = {"ing", "es", "ed", "s"};

const std::set<std::string, std::less<>>& stopwords() {
  static const NoDestructor<std::set<std::string, std::less<>>> words{
      "with",     "from",     "that",     "this",      "your",   "what",     "when",  "into",
      "about",    "have",     "will",     "more",      "home",   "page",     "video", "videos",
      "youtube",  "google",   "docs",     "wikipedia", "reddit", "tutorial", "part",  "chapter",
      "lecture",  "notes",    "draft",    "final",     "free",   "online",   "watch", "search",
      "results",  "untitled", "document", "project",   "code",   "file",     "files", "https",
      "official", "full",     "episode"};
  return *words;
}

const Regex& titleTail() {
  static const NoDestructor<Regex> regex(tailPattern());
  return *regex;
}

// The characters of a title's tokens, back to back in one buffer, so that a walk allocates per
// title rather than per character. Character i is bytes [ends[i - 1], ends[i]).
struct Characters {
  std::string bytes;
  std::vector<size_t> ends;

  void add(std::string_view character) {
    bytes += character;
    ends.push_back(bytes.size());
  }
  std::string_view span(size_t begin, size_t end) const {
    const size_t from = begin == 0 ? 0 : ends[begin - 1];
    return std::string_view(bytes).substr(from, (end == 0 ? 0 : ends[end - 1]) - from);
  }
  std::string_view operator[](size_t i) const { return span(i, i + 1); }
};

// Characters [begin, end) of `all`.
struct Piece {
  const Characters& all;
  size_t begin, end;

  size_t size() const { return end - begin; }
  std::string_view operator[](size_t i) const { return all[begin + i]; }
  std::string text() const { return std::string(all.span(begin, end)); }
};

bool isAcronym(const Piece& piece) {
  if (piece.size() < kMinAcronymCharacters || piece.size() > kMaxAcronymCharacters) return false;
  bool hasLetter = false;
  for (size_t i = 0; i < piece.size(); ++i) {
    bool upper = text::isUppercaseLetter(piece[i]);
    if (!upper && !text::isNumeric(piece[i])) return false;
    hasLetter = hasLetter || upper;
  }
  return hasLetter;
}

void insertPiece(const Piece& piece, Words& words) {
  std::string lower = text::lowercased(piece.text());
  if (isAcronym(piece)) {
    words.insert(std::move(lower));
    return;
  }
  if (text::characterCount(lower) < kMinWordCharacters) return;
  if (stopwords().count(lower) > 0) return;
  words.insert(text::characterPrefix(stem(lower), kStemCharacters));
}

void insertToken(const Piece& raw, Words& words) {
  // Dots around a token are punctuation (an ellipsis, a sentence end), not part of it.
  size_t begin = 0, end = raw.size();
  while (begin < end && raw[begin] == ".") ++begin;
  while (end > begin && raw[end - 1] == ".") --end;
  if (begin == end) return;

  if (end - begin >= kMinNumberCharacters) {
    bool allDigits = true, hasDot = false, hasDigit = false;
    for (size_t i = begin; i < end; ++i) {
      bool digit = text::isNumeric(raw[i]);
      allDigits = allDigits && digit;
      hasDigit = hasDigit || digit;
      hasDot = hasDot || raw[i] == ".";
    }
    if (allDigits || (hasDot && hasDigit)) {
      words.insert(Piece{raw.all, raw.begin + begin, raw.begin + end}.text());
      return;
    }
  }

  size_t pieceBegin = begin;
  for (size_t i = begin; i <= end; ++i) {
    if (i == end || raw[i] == ".") {
      if (i > pieceBegin) insertPiece(Piece{raw.all, raw.begin + pieceBegin, raw.begin + i}, words);
      pieceBegin = i + 1;
    }
  }
}

}  // namespace

std::string tailPattern(std::string_view extra) {
  const std::string set = std::string(kDashes) + "|:" + std::string(extra);
  return "\\s[" + set + "]\\s[^" + set + "]+$";
}

std::string stem(const std::string& word) {
  Characters characters;
  characters.bytes.reserve(word.size());
  text::forEachCharacter(word, [&](std::string_view character) { characters.add(character); });
  const size_t count = characters.ends.size();
  for (std::string_view suffix : kSuffixes) {
    if (count < suffix.size() + kMinStemCharacters) continue;
    // The suffixes are ASCII, so they end the word exactly when its last characters spell them.
    size_t kept = count - suffix.size();
    if (characters.span(kept, count) == suffix) return std::string(characters.span(0, kept));
  }
  return word;
}

Words words(std::string_view title) {
  // Tokens are gathered during the walk and read after it, since reading them walks characters
  // too: a token is characters [first, ends[k]) for the previous token's end as first.
  Characters characters;
  std::vector<size_t> tokenEnds;
  characters.bytes.reserve(title.size());
  bool inToken = false;
  text::forEachCharacter(title, [&](std::string_view character) {
    if (character == "." || text::isLetter(character) || text::isNumeric(character)) {
      characters.add(character);
      inToken = true;
    } else if (inToken) {
      tokenEnds.push_back(characters.ends.size());
      inToken = false;
    }
  });
  if (inToken) tokenEnds.push_back(characters.ends.size());

  Words words;
  size_t first = 0;
  for (size_t end : tokenEnds) {
    insertToken(Piece{characters, first, end}, words);
    first = end;
  }
  return words;
}

std::string shortTitle(std::string_view title) {
  std::string text = text::repairUtf8(title);
  if (auto match = titleTail().firstMatch(text)) return text.substr(0, match->range.begin);
  return text;
}

}  // namespace qb::TitleWords
