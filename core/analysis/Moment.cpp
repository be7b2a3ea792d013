#include "analysis/Moment.h"

#include <algorithm>
#include <set>

#include "analysis/Redaction.h"
#include "analysis/TitleWords.h"
#include "base/NoDestructor.h"
#include "base/Regex.h"
#include "base/Text.h"

namespace qb {
namespace {

// Bounds of the cleaner: the scalar cap keeps the patterns cheap on hostile titles; the character
// cap is what the rest of the program stores and compares.
constexpr size_t kMaxTitleScalars = 2000;
constexpr size_t kMaxTitleCharacters = 200;

// A browser's name appended to the page title, with any profile or mode part after it.
const Regex& browserSuffix() {
  static const NoDestructor<Regex> regex([] {
    const std::string dash = "[" + std::string(TitleWords::kDashes) + "]";
    return "\\s" + dash + "\\s(Mozilla Firefox|Google Chrome|Safari|Chromium)( " + dash + " .*)?$";
  }());
  return *regex;
}

// An unread count in front of the title: "(3) Inbox", "(99+) Feed".
const Regex& unreadCount() {
  static const NoDestructor<Regex> regex("^\\s*\\(\\d{1,3}\\+?\\)\\s+");
  return *regex;
}

// Words that say where a title is shown rather than what it shows.
const std::set<std::string, std::less<>>& windowWords() {
  static const NoDestructor<std::set<std::string, std::less<>>> words{
      "new", "tab", "window", "private", "browsing", "incognito", "start", "page"};
  return *words;
}

// The lower-cased runs of letters and numbers that hold at least one letter.
std::set<std::string> nameWords(std::string_view text) {
  std::set<std::string> words;
  std::string word;
  bool hasLetter = false;
  auto finish = [&] {
    if (hasLetter) words.insert(word);
    word.clear();
    hasLetter = false;
  };
  text::forEachCharacter(text::lowercased(text), [&](std::string_view character) {
    bool letter = text::isLetter(character);
    if (letter || text::isNumeric(character)) {
      word += character;
      hasLetter = hasLetter || letter;
    } else {
      finish();
    }
  });
  finish();
  return words;
}

std::string repaired(std::string_view text) { return text::repairUtf8(text); }

std::optional<std::string> repaired(std::optional<std::string> text) {
  if (text && !text::isValidUtf8(*text)) return text::repairUtf8(*text);
  return text;
}

}  // namespace

Moment::Moment(uint64_t observationID, Date readAt, std::string_view application,
               std::string_view bundle, std::string_view windowTitle, std::optional<Url> address,
               std::optional<std::string> documentName, std::optional<std::string> text)
    : id(observationID),
      time(readAt),
      appName(repaired(application)),
      bundleID(repaired(bundle)),
      title(clean(windowTitle)),
      url(std::move(address)),
      document(repaired(std::move(documentName))),
      pageText(repaired(std::move(text))) {}

std::string Moment::clean(std::string_view raw) {
  std::string text;
  text.reserve(std::min(raw.size(), kMaxTitleScalars));
  // Cutting and dropping controls in one pass over the scalars; tabs and line breaks are
  // controls too, so the letters around them join.
  for (char32_t c : text::decode(text::scalarPrefix(raw, kMaxTitleScalars))) {
    if (!text::isControl(c)) text::append(text, c);
  }
  text = browserSuffix().removeAll(text);
  text = unreadCount().removeAll(text);
  return text::characterPrefix(text::trimmed(text), kMaxTitleCharacters);
}

std::optional<std::string> Moment::host() const {
  if (!url || !url->host() || url->host()->empty()) return std::nullopt;
  std::string lower = text::lowercased(*url->host());
  if (lower.starts_with("www.")) lower.erase(0, 4);
  return lower;
}

std::string Moment::displayName() const { return host().value_or(appName); }

std::string Moment::scope() const {
  if (auto site = host()) {
    if (auto page = Redaction::chatPage(*this)) return *page;
    return *site;
  }
  return bundleID;
}

std::string Moment::key() const {
  std::string key = bundleID;
  key += '|';
  key += title;
  key += '|';
  if (url) key += url->absoluteString();
  return key;
}

bool Moment::namesOnlyApp(std::string_view text) const {
  std::set<std::string> own = nameWords(appName + " " + bundleID);
  for (const std::string& word : nameWords(text)) {
    if (windowWords().count(word) == 0 && own.count(word) == 0) return false;
  }
  return true;
}

}  // namespace qb
