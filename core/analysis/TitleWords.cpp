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

using Characters = std::vector<std::string>;

std::string join(const Characters& characters, size_t begin, size_t end) {
  std::string out;
  for (size_t i = begin; i < end; ++i) out += characters[i];
  return out;
}

bool isAcronym(const Characters& piece) {
  if (piece.size() < kMinAcronymCharacters || piece.size() > kMaxAcronymCharacters) return false;
  bool hasLetter = false;
  for (const std::string& c : piece) {
    bool upper = text::isUppercaseLetter(c);
    if (!upper && !text::isNumeric(c)) return false;
    hasLetter = hasLetter || upper;
  }
  return hasLetter;
}

void insertPiece(const Characters& piece, Words& words) {
  if (isAcronym(piece)) {
    words.insert(text::lowercased(join(piece, 0, piece.size())));
    return;
  }
  std::string lower = text::lowercased(join(piece, 0, piece.size()));
  if (text::characterCount(lower) < kMinWordCharacters) return;
  if (stopwords().count(lower) > 0) return;
  words.insert(text::characterPrefix(stem(lower), kStemCharacters));
}

void insertToken(const Characters& raw, Words& words) {
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
      words.insert(join(raw, begin, end));
      return;
    }
  }

  Characters piece;
  for (size_t i = begin; i <= end; ++i) {
    if (i == end || raw[i] == ".") {
      if (!piece.empty()) insertPiece(piece, words);
      piece.clear();
    } else {
      piece.push_back(raw[i]);
    }
  }
}

}  // namespace

std::string tailPattern(std::string_view extra) {
  const std::string set = std::string(kDashes) + "|:" + std::string(extra);
  return "\\s[" + set + "]\\s[^" + set + "]+$";
}

std::string stem(const std::string& word) {
  Characters characters = text::characters(word);
  for (std::string_view suffix : kSuffixes) {
    if (characters.size() < suffix.size() + kMinStemCharacters) continue;
    // The suffixes are ASCII, so they end the word exactly when its last characters spell them.
    size_t kept = characters.size() - suffix.size();
    if (join(characters, kept, characters.size()) == suffix) return join(characters, 0, kept);
  }
  return word;
}

Words words(std::string_view title) {
  Words words;
  Characters token;
  for (std::string& character : text::characters(title)) {
    if (character == "." || text::isLetter(character) || text::isNumeric(character)) {
      token.push_back(std::move(character));
    } else if (!token.empty()) {
      insertToken(token, words);
      token.clear();
    }
  }
  if (!token.empty()) insertToken(token, words);
  return words;
}

std::string shortTitle(std::string_view title) {
  std::string text = text::repairUtf8(title);
  if (auto match = titleTail().firstMatch(text)) return text.substr(0, match->range.begin);
  return text;
}

}  // namespace qb::TitleWords
