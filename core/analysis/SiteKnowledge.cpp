#include "analysis/SiteKnowledge.h"

#include <locale.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/Error.h"
#include "base/File.h"
#include "base/Log.h"
#include "base/NoDestructor.h"
#include "base/Text.h"

namespace qb {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// strtof must read "0.5" whatever LC_NUMERIC the program runs under; one C locale object serves
// every call on every thread.
locale_t cLocale() {
  static const NoDestructor<locale_t> locale([] {
    locale_t created = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (created == static_cast<locale_t>(nullptr)) {
      throw Error(knowledge::kErrorDomain, knowledge::kNoCLocaleCode,
                  std::string("cannot create the C locale: ") + std::strerror(errno));
    }
    return created;
  }());
  return *locale;
}

// The white space strtof would skip in the C locale: a field may not begin with it.
bool isCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The confidence the field spells; absent when it does not read as a finite number.
std::optional<float> readConfidence(std::string_view field) {
  if (field.empty() || isCSpace(field.front())) return std::nullopt;
  std::string terminated(field);  // strtof wants a C string; an embedded NUL ends it early
  char* end = nullptr;
  float value = ::strtof_l(terminated.c_str(), &end, cLocale());
  if (end != terminated.c_str() + terminated.size()) return std::nullopt;
  // "nan", "inf" and numbers beyond the float range read fine but would make every score of the
  // site NaN or infinite.
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

// What parsing mended or left out of rows it kept, told once per table so that a damaged file is
// never silent: counts, and the first row of each kind so that it can be found.
struct Repairs {
  bool utf8 = false;
  size_t confidences = 0;
  std::string firstConfidence;
  size_t sections = 0;
  std::string firstSection;

  void log() const {
    if (!utf8 && confidences == 0 && sections == 0) return;
    std::string message = "Site table repaired while parsing:";
    if (utf8) message += " ill-formed UTF-8 replaced;";
    if (confidences > 0) {
      message += " " + std::to_string(confidences) +
                 " unreadable confidence(s) given the default (first: \"" + firstConfidence +
                 "\");";
    }
    if (sections > 0) {
      message += " " + std::to_string(sections) + " unusable section item(s) dropped (first: \"" +
                 firstSection + "\");";
    }
    message.pop_back();
    log::error(message);
  }
};

// Items "prefix=lean" separated by ";", longest prefix first, equal lengths in file order. Counts
// in dropped the items that hold something but cannot be used.
std::vector<SiteKnowledge::Section> parseSections(std::string_view field, size_t& dropped) {
  struct Item {
    SiteKnowledge::Section section;
    size_t characters;
  };
  std::vector<Item> items;
  while (!field.empty()) {
    size_t semicolon = field.find(';');
    std::string_view item = field.substr(0, semicolon);
    field = semicolon == std::string_view::npos ? std::string_view() : field.substr(semicolon + 1);

    if (item.empty()) continue;
    dropped += 1;  // taken back once the item proves usable
    size_t equals = item.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view prefix = item.substr(0, equals);
    std::string_view leanWord = item.substr(equals + 1);
    // An empty piece is dropped before trimming, which leaves the item one piece short.
    if (prefix.empty() || leanWord.empty()) continue;
    auto lean = SiteKnowledge::parseLean(knowledge::trimBlanks(leanWord));
    if (!lean) continue;
    std::string key = text::lowercased(knowledge::trimBlanks(prefix));
    while (!key.empty() && key.back() == '/') key.pop_back();
    if (key.empty()) continue;
    dropped -= 1;
    size_t characters = text::characterCount(key);
    items.push_back({{std::move(key), *lean}, characters});
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const Item& a, const Item& b) { return a.characters > b.characters; });
  std::vector<SiteKnowledge::Section> sections;
  sections.reserve(items.size());
  for (Item& item : items) sections.push_back(std::move(item.section));
  return sections;
}

// Length of the line terminator at text[i], 0 when there is none. The text is valid UTF-8.
size_t terminatorLength(std::string_view text, size_t i) {
  char c = text[i];
  if (c == '\n') return 1;
  if (c == '\r') return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
  if (c == '\xC2') return i + 1 < text.size() && text[i + 1] == '\x85' ? 2 : 0;  // U+0085
  if (c == '\xE2' && i + 2 < text.size() && text[i + 1] == '\x80' &&
      (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
    return 3;  // U+2028, U+2029
  }
  return 0;
}

// The path as sections see it: decoded, lower-cased, without trailing "/".
std::string sectionPath(const Moment& moment) {
  if (!moment.url) return {};
  std::string path = text::lowercased(moment.url->decodedPath());
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string_view rawValue(SiteKnowledge::Lean lean) {
  switch (lean) {
    case SiteKnowledge::Lean::work:
      return "work";
    case SiteKnowledge::Lean::leisure:
      return "leisure";
    case SiteKnowledge::Lean::mixed:
      return "mixed";
    case SiteKnowledge::Lean::neutral:
      return "neutral";
  }
  return "neutral";
}

std::optional<SiteKnowledge::Lean> SiteKnowledge::parseLean(std::string_view text) {
  for (Lean lean : {Lean::work, Lean::leisure, Lean::mixed, Lean::neutral}) {
    if (text == rawValue(lean)) return lean;
  }
  return std::nullopt;
}

SiteKnowledge SiteKnowledge::load(const std::filesystem::path& contentsOf) {
  return parse(file::readText(contentsOf, knowledge::kMaxFileBytes));
}

SiteKnowledge SiteKnowledge::parse(std::string_view tsv) {
  Repairs repairs;
  std::string repaired;
  if (!text::isValidUtf8(tsv)) {
    repaired = text::repairUtf8(tsv);
    tsv = repaired;
    repairs.utf8 = true;
  }
  if (tsv.starts_with(kByteOrderMark)) tsv.remove_prefix(kByteOrderMark.size());

  SiteKnowledge table;
  auto parseLine = [&table, &repairs](std::string_view line) {
    // Fields 1 to 5; a sixth and later are ignored.
    std::string_view fields[5];
    size_t count = 0;
    while (count < 5) {
      size_t tab = line.find('\t');
      fields[count++] = line.substr(0, tab);
      if (tab == std::string_view::npos) break;
      line.remove_prefix(tab + 1);
    }
    if (count < 4) return;
    auto lean = parseLean(fields[1]);
    if (!lean) return;

    std::string key = text::lowercased(fields[0]);
    table.longestKey_ = std::max(table.longestKey_, key.size());
    if (count == 5 && !fields[4].empty()) {
      const size_t dropped = repairs.sections;
      std::vector<Section> sections = parseSections(fields[4], repairs.sections);
      if (dropped == 0 && repairs.sections > 0) repairs.firstSection = key;
      if (!sections.empty()) table.sections_[key] = std::move(sections);
    }
    // An empty field names no confidence; any other that does not read is a damaged row.
    std::optional<float> confidence = readConfidence(fields[2]);
    if (!confidence && !fields[2].empty() && repairs.confidences++ == 0) {
      repairs.firstConfidence = key;
    }
    table.entries_[std::move(key)] =
        Entry{*lean, confidence.value_or(kDefaultConfidence), std::string(fields[3])};
  };

  size_t start = 0;
  for (size_t i = 0; i < tsv.size();) {
    size_t terminator = terminatorLength(tsv, i);
    if (terminator == 0) {
      ++i;
      continue;
    }
    parseLine(tsv.substr(start, i - start));
    i += terminator;
    start = i;
  }
  if (start < tsv.size()) parseLine(tsv.substr(start));
  repairs.log();
  return table;
}

std::optional<SiteKnowledge::Entry> SiteKnowledge::lookup(const Moment& moment) const {
  if (entries_.empty()) return std::nullopt;
  if (std::optional<std::string> site = moment.host()) return lookupHost(*site, moment);
  auto found = entries_.find(std::string_view(text::lowercased(moment.appName)));
  if (found == entries_.end()) return std::nullopt;
  return found->second;
}

std::optional<SiteKnowledge::Entry> SiteKnowledge::lookupHost(std::string_view host,
                                                              const Moment& moment) const {
  // Empty labels ("a..b", a leading or trailing dot) are dropped; only then are the candidates
  // plain suffixes of the host.
  bool emptyLabel = host.empty() || host.front() == '.' || host.back() == '.';
  for (size_t i = 1; i < host.size() && !emptyLabel; ++i) {
    emptyLabel = host[i] == '.' && host[i - 1] == '.';
  }
  std::string joined;
  if (emptyLabel) {
    std::string_view rest = host;
    while (!rest.empty()) {
      size_t dot = rest.find('.');
      std::string_view label = rest.substr(0, dot);
      if (!label.empty()) {
        if (!joined.empty()) joined += '.';
        joined += label;
      }
      if (dot == std::string_view::npos) break;
      rest.remove_prefix(dot + 1);
    }
    host = joined;
  }
  if (host.empty()) return std::nullopt;

  // Candidates from the whole host down to its last two labels; a single label is tried whole.
  // A candidate longer than every key cannot match, so the walk starts at the first one that fits.
  std::string_view candidate = host;
  bool whole = true;
  if (candidate.size() > longestKey_) {
    size_t dot = candidate.find('.', candidate.size() - longestKey_ - 1);
    if (dot == std::string_view::npos) return std::nullopt;
    candidate.remove_prefix(dot + 1);
    whole = false;
  }
  Map<Entry>::const_iterator found = entries_.end();
  for (;; whole = false) {
    size_t dot = candidate.find('.');
    if (dot == std::string_view::npos && !whole) break;
    found = entries_.find(candidate);
    if (found != entries_.end() || dot == std::string_view::npos) break;
    candidate.remove_prefix(dot + 1);
  }
  if (found == entries_.end()) return std::nullopt;

  const Entry& entry = found->second;
  auto sections = sections_.find(found->first);
  if (sections == sections_.end()) return entry;
  std::string path = sectionPath(moment);
  for (const Section& section : sections->second) {
    const std::string& prefix = section.prefix;
    bool matches = path == prefix || (path.size() > prefix.size() && path.starts_with(prefix) &&
                                      path[prefix.size()] == '/');
    if (matches) return Entry{section.lean, entry.confidence, entry.what};
  }
  return entry;
}

namespace knowledge {

bool isBlank(char32_t c) {
  return c == U'\t' || u_charType(static_cast<UChar32>(c)) == U_SPACE_SEPARATOR;
}

std::string_view trimBlanks(std::string_view text) {
  // One scalar at a time through a window of at most four bytes, so that no length is limited to
  // ICU's 32 bits; an ill-formed sequence decodes as a negative value, which is not a blank.
  constexpr size_t kMaxScalarBytes = 4;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  size_t begin = 0;
  while (begin < text.size()) {
    auto window = static_cast<int32_t>(std::min(text.size() - begin, kMaxScalarBytes));
    int32_t used = 0;
    UChar32 c = 0;
    U8_NEXT(bytes + begin, used, window, c);
    if (c < 0 || !isBlank(static_cast<char32_t>(c))) break;
    begin += static_cast<size_t>(used);
  }
  size_t end = text.size();
  while (end > begin) {
    auto window = static_cast<int32_t>(std::min(end - begin, kMaxScalarBytes));
    int32_t at = window;
    UChar32 c = 0;
    U8_PREV(bytes + end - window, 0, at, c);
    if (c < 0 || !isBlank(static_cast<char32_t>(c))) break;
    end -= static_cast<size_t>(window - at);
  }
  return text.substr(begin, end - begin);
}

}  // namespace knowledge
}  // namespace qb
