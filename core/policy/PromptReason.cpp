#include "policy/PromptReason.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "analysis/Analyzer.h"
#include "analysis/Redaction.h"
#include "base/Text.h"
#include "context/WorkContext.h"

namespace qb::PromptReason {
namespace {

constexpr std::string_view kNotWork = " doesn't look like work.";
constexpr std::string_view kOpenQuote = "\u201C";
constexpr std::string_view kCloseQuote = "\u201D";
constexpr std::string_view kPagePrefix = "This page on ";
constexpr std::string_view kEllipsis = "\u2026";
// A quoted title needs this many words; one word is usually just the site's own name.
constexpr size_t kMinimumQuotedWords = 2;

// What may dangle at either end of a cut title: blank, hyphen-minus, en dash, em dash, colon,
// vertical bar, comma, ampersand, bullet, middle dot, slash, opening parenthesis, full-width colon.
constexpr std::string_view kDangling[] = {" ", "-",      "\u2013", "\u2014", ":", "|",     ",",
                                          "&", "\u2022", "\u00B7", "/",      "(", "\uFF1A"};

bool isDangling(std::string_view character) {
  return std::find(std::begin(kDangling), std::end(kDangling), character) != std::end(kDangling);
}

// Line breaks are White_Space but not blanks; what is left is the space separators and the tab.
bool isBlankSpace(char32_t c) {
  switch (c) {
    case U'\n':
    case U'\v':
    case U'\f':
    case U'\r':
    case U'\u0085':
    case U'\u2028':
    case U'\u2029':
      return false;
    default:
      return text::isWhitespace(c);
  }
}

std::string trimBlankSpace(std::string_view raw) {
  std::u32string scalars = text::decode(raw);
  size_t begin = 0;
  size_t end = scalars.size();
  while (begin < end && isBlankSpace(scalars[begin])) ++begin;
  while (end > begin && isBlankSpace(scalars[end - 1])) --end;
  return text::encode(std::u32string_view(scalars).substr(begin, end - begin));
}

// Pieces between runs of white space (line breaks included); a character is white space when its
// first scalar is.
size_t wordCount(std::string_view title) {
  size_t count = 0;
  bool inWord = false;
  text::forEachCharacter(title, [&](std::string_view character) {
    const bool space = text::isWhitespace(text::decode(character).front());
    if (!space && !inWord) ++count;
    inWord = !space;
  });
  return count;
}

}  // namespace

std::string line(const Moment& moment, std::string_view appName) {
  std::optional<std::string> host = moment.host();
  if (!host) return text::repairUtf8(appName) + std::string(kNotWork);

  std::string shortTitle = trimBlankSpace(WorkContext::shortTitle(moment.title));
  if (wordCount(shortTitle) >= kMinimumQuotedWords && !Analyzer::isVague(moment) &&
      !Redaction::isMessaging(moment)) {
    return std::string(kOpenQuote) + shortened(shortTitle, kTitleLimit) + std::string(kCloseQuote) +
           std::string(kNotWork);
  }
  return std::string(kPagePrefix) + *host + std::string(kNotWork);
}

bool isSamePlace(const Moment& work, const Moment& inFront) {
  // Moment::host() is the work URL's host lower-cased without "www.", absent exactly when the URL
  // or its host is missing or empty.
  if (std::optional<std::string> workHost = work.host()) return inFront.host() == workHost;
  return work.bundleID == inFront.bundleID;
}

std::string shortened(std::string_view text, size_t limit) {
  // Only a title that is too long needs its characters one by one, and only the first `limit`.
  std::vector<std::string> characters;
  bool fits = true;
  text::forEachCharacter(text, [&](std::string_view character) {
    fits = characters.size() < limit;
    if (fits) characters.emplace_back(character);
    return fits;
  });
  if (fits) return text::repairUtf8(text);

  // Cut before the last blank; a character is a blank only when it is U+0020 alone (a blank that
  // carries a combining mark is part of a word).
  auto lastBlank = std::find(characters.rbegin(), characters.rend(), " ");
  if (lastBlank != characters.rend()) {
    characters.erase(std::prev(lastBlank.base()), characters.end());
  }

  // Trimmed as whole characters, so that a separator carrying a combining mark stays with it.
  auto begin = std::find_if_not(characters.begin(), characters.end(), isDangling);
  auto end = characters.end();
  while (end != begin && isDangling(*std::prev(end))) --end;

  std::string out;
  for (auto it = begin; it != end; ++it) out += *it;
  out += kEllipsis;
  return out;
}

}  // namespace qb::PromptReason
