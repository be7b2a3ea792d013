#include "context/WorkContext.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "base/Regex.h"
#include "base/Text.h"

namespace qb {
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

// The patterns and word lists below are built once and never destroyed: an analysis abandoned
// after a time-out may still be running while the process exits.

const std::set<std::string, std::less<>>& stopwords() {
  static const std::set<std::string, std::less<>>& words = *new std::set<std::string, std::less<>>{
      "with",     "from",     "that",     "this",      "your",   "what",     "when",  "into",
      "about",    "have",     "will",     "more",      "home",   "page",     "video", "videos",
      "youtube",  "google",   "docs",     "wikipedia", "reddit", "tutorial", "part",  "chapter",
      "lecture",  "notes",    "draft",    "final",     "free",   "online",   "watch", "search",
      "results",  "untitled", "document", "project",   "code",   "file",     "files", "https",
      "official", "full",     "episode"};
  return words;
}

const Regex& titleTail() {
  static const Regex& regex = *new Regex("\\s[-\u2014\u2013|:]\\s[^-\u2014\u2013|:]+$");
  return regex;
}

using Characters = std::vector<std::string>;

std::string stemWord(const std::string& word);

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

void insertPiece(const Characters& piece, WorkContext::Words& words) {
  if (isAcronym(piece)) {
    words.insert(text::lowercased(join(piece, 0, piece.size())));
    return;
  }
  std::string lower = text::lowercased(join(piece, 0, piece.size()));
  if (text::characterCount(lower) < kMinWordCharacters) return;
  if (stopwords().count(lower) > 0) return;
  words.insert(text::characterPrefix(stemWord(lower), kStemCharacters));
}

void insertToken(const Characters& raw, WorkContext::Words& words) {
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

std::string stemWord(const std::string& word) {
  Characters characters = text::characters(word);
  for (std::string_view suffix : kSuffixes) {
    if (characters.size() < suffix.size() + kMinStemCharacters) continue;
    // The suffixes are ASCII, so they end the word exactly when its last characters spell them.
    size_t kept = characters.size() - suffix.size();
    if (join(characters, kept, characters.size()) == suffix) return join(characters, 0, kept);
  }
  return word;
}

}  // namespace

std::string WorkContext::stem(const std::string& word) { return stemWord(word); }

WorkContext::Words WorkContext::words(std::string_view title) {
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

std::string WorkContext::shortTitle(std::string_view title) {
  std::string text = text::repairUtf8(title);
  if (auto match = titleTail().firstMatch(text)) return text.substr(0, match->range.begin);
  return text;
}

// --- The work itself ---

namespace {

bool isUsableHalfLife(double halfLife) { return std::isfinite(halfLife) && halfLife > 0; }

bool isFinite(Date date) { return std::isfinite(date.sinceReferenceDate); }

double decayed(const WorkContext::Dwell& entry, Date at, double halfLife) {
  const double elapsed = at.since(entry.updated);
  // Work dated after `at` (a clock set back) keeps its seconds rather than growing.
  if (!(elapsed >= 0)) return entry.seconds;
  return entry.seconds * std::exp2(-elapsed / halfLife);
}

// Keeps the `keep` entries worth the most at `at`. Ties keep the smaller key, so that pruning
// never depends on how the map happens to be laid out.
void keepLargest(std::map<std::string, WorkContext::Dwell, std::less<>>& dwell, size_t keep,
                 Date at, double halfLife) {
  if (dwell.size() <= keep) return;
  using Iterator = std::map<std::string, WorkContext::Dwell, std::less<>>::iterator;
  struct Ranked {
    double seconds;
    Iterator entry;
  };
  std::vector<Ranked> ranked;
  ranked.reserve(dwell.size());
  for (auto it = dwell.begin(); it != dwell.end(); ++it) {
    double seconds = decayed(it->second, at, halfLife);
    // Nothing stored is NaN, but a NaN in the comparison would break the sort's ordering.
    if (std::isnan(seconds)) seconds = -std::numeric_limits<double>::infinity();
    ranked.push_back({seconds, it});
  }
  std::nth_element(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(keep), ranked.end(),
                   [](const Ranked& a, const Ranked& b) {
                     if (a.seconds != b.seconds) return a.seconds > b.seconds;
                     return a.entry->first < b.entry->first;
                   });
  for (size_t i = keep; i < ranked.size(); ++i) dwell.erase(ranked[i].entry);
}

std::vector<std::string> shortTitles(const std::vector<std::string>& titles, size_t count) {
  std::vector<std::string> out;
  for (size_t i = 0; i < std::min(count, titles.size()); ++i) {
    out.push_back(WorkContext::shortTitle(titles[i]));
  }
  return out;
}

const Json* member(const Json& object, const char* key) {
  auto it = object.find(key);
  return it == object.end() || it->is_null() ? nullptr : &*it;
}

}  // namespace

double WorkContext::halfLife() const {
  return isUsableHalfLife(sessionHalfLife) ? sessionHalfLife : kDefaultSessionHalfLife;
}

double WorkContext::seconds(const Dwell& entry, Date at) const {
  return decayed(entry, at, halfLife());
}

void WorkContext::credit(const std::string& key, double seconds, std::optional<std::string> subject,
                         std::optional<std::string> label, std::optional<std::string> site,
                         Date at) {
  if (!std::isfinite(seconds) || !isFinite(at)) return;
  Dwell entry;
  if (auto found = dwell.find(key); found != dwell.end()) entry = found->second;
  const double total = seconds + decayed(entry, at, halfLife());
  if (!std::isfinite(total)) return;
  entry.seconds = total;
  entry.updated = at;
  if (subject) entry.subject = std::move(subject);
  if (label) entry.label = std::move(label);
  if (site) entry.site = std::move(site);
  dwell.insert_or_assign(key, std::move(entry));
  if (dwell.size() > kMaxDwell) keepLargest(dwell, kPrunedDwell, at, halfLife());
}

void WorkContext::add(const std::string& title) {
  if (title.empty()) return;
  std::erase_if(titles, [&](const std::string& t) { return text::canonicallyEqual(t, title); });
  titles.insert(titles.begin(), title);
  if (titles.size() > kMaxTitles) titles.pop_back();
}

std::vector<WorkContext::Subject> WorkContext::subjects(Date at, double minSeconds,
                                                        const ProjectResolver& project) const {
  struct Group {
    Subject subject;
    Date latest;
  };
  // Keyed by the lower-cased name; entries are met in key order, so the smallest key names a group.
  std::map<std::string, Group> groups;
  for (const auto& [key, entry] : dwell) {
    std::optional<std::string> projectName;
    std::string text;
    if (entry.subject) {
      text = *entry.subject;
    } else if (project && (projectName = project(key))) {
      text = *projectName;
    } else if (entry.label) {
      text = *entry.label;
    } else {
      text = shortTitle(key);
    }
    auto [group, created] = groups.try_emplace(text::lowercased(text));
    if (created) {
      std::string label = entry.label   ? *entry.label
                          : projectName ? *projectName
                          : entry.site  ? *entry.site
                                        : text;
      group->second = Group{Subject{std::move(text), std::move(label), 0}, entry.updated};
    }
    group->second.subject.seconds += seconds(entry, at);
    group->second.latest = std::max(group->second.latest, entry.updated);
  }

  std::vector<Group> kept;
  for (auto& [name, group] : groups) {
    // A sum that is not a number fails this test and is dropped.
    if (group.subject.seconds >= minSeconds) kept.push_back(std::move(group));
  }
  // Stable, so that groups equal in seconds and recency stay in the order of their names.
  std::stable_sort(kept.begin(), kept.end(), [](const Group& a, const Group& b) {
    if (a.subject.seconds != b.subject.seconds) return a.subject.seconds > b.subject.seconds;
    return a.latest > b.latest;
  });
  std::vector<Subject> out;
  out.reserve(kept.size());
  for (Group& group : kept) out.push_back(std::move(group.subject));
  return out;
}

std::string WorkContext::summary(Date at, int subjectCount, double subjectSeconds, int titleCount,
                                 const std::string& separator,
                                 const ProjectResolver& project) const {
  std::vector<std::string> parts;
  if (subjectCount > 0) {
    const auto count = static_cast<size_t>(subjectCount);
    std::vector<Subject> found = subjects(at, subjectSeconds, project);
    if (found.empty()) {
      parts = shortTitles(titles, count);
    } else {
      for (size_t i = 0; i < std::min(count, found.size()); ++i) parts.push_back(found[i].text);
    }
  }
  for (std::string& title : shortTitles(titles, static_cast<size_t>(std::max(titleCount, 0)))) {
    parts.push_back(std::move(title));
  }

  std::vector<std::string> unique;
  for (std::string& part : parts) {
    bool seen = std::any_of(unique.begin(), unique.end(),
                            [&](const std::string& u) { return text::canonicallyEqual(u, part); });
    if (!seen) unique.push_back(std::move(part));
  }

  std::string phrase;
  if (unique.empty()) {
    phrase = titles.empty() ? std::string(kEmptySummary) : titles.front();
  } else {
    for (size_t i = 0; i < unique.size(); ++i) {
      if (i > 0) phrase += separator;
      phrase += unique[i];
    }
  }
  return text::characterPrefix(phrase, kSummaryCharacters);
}

std::optional<std::string> WorkContext::description(Date at, double subjectSeconds,
                                                    const ProjectResolver& project) const {
  std::vector<Subject> found = subjects(at, subjectSeconds, project);
  if (found.empty()) return std::nullopt;
  return std::move(found.front().label);
}

bool WorkContext::sharesWords(std::string_view title,
                              const std::optional<std::string>& site) const {
  std::string joined;
  for (size_t i = 0; i < titles.size(); ++i) {
    if (i > 0) joined += ' ';
    joined += titles[i];
  }
  const Words context = words(joined);
  if (context.empty()) return false;

  std::string siteText = site.value_or("");
  std::replace(siteText.begin(), siteText.end(), '.', ' ');
  const Words siteWords = words(siteText);
  for (const std::string& word : words(title)) {
    if (siteWords.count(word) == 0 && context.count(word) > 0) return true;
  }
  return false;
}

Json WorkContext::toJson() const {
  Json titleList = Json::array();
  for (const std::string& title : titles) titleList.push_back(title);
  Json entries = Json::object();
  for (const auto& [key, entry] : dwell) {
    Json item = Json::object();
    item["seconds"] = json::encode(entry.seconds);
    item["updated"] = json::encode(entry.updated);
    json::putIfPresent(item, "subject", entry.subject);
    json::putIfPresent(item, "label", entry.label);
    json::putIfPresent(item, "site", entry.site);
    entries[key] = std::move(item);
  }
  Json object = Json::object();
  object["id"] = json::encode(id);
  object["titles"] = std::move(titleList);
  object["dwell"] = std::move(entries);
  object["sessionHalfLife"] = json::encode(sessionHalfLife);
  return object;
}

WorkContext WorkContext::fromJson(const Json& object) {
  if (!object.is_object()) throw json::decodingError("$", "expected an object");
  WorkContext context;
  context.id = json::require<Uuid>(object, "id");

  // Looked up in place rather than copied: a hostile file may hold huge lists.
  auto titleList = object.find("titles");
  if (titleList == object.end()) throw json::decodingError("titles", "key not found");
  if (!titleList->is_array()) throw json::decodingError("titles", "expected an array");
  for (size_t i = 0; i < titleList->size(); ++i) {
    auto title = json::decode<std::string>((*titleList)[i], "titles");
    if (i < kMaxTitles) context.titles.push_back(std::move(title));
  }

  // Our own encoder writes a half-life that is not a finite number as null; like a missing one, and
  // like zero or a negative one, it becomes the default, which every later decay depends on.
  if (const Json* halfLife = member(object, "sessionHalfLife")) {
    context.sessionHalfLife = json::decode<double>(*halfLife, "sessionHalfLife");
    if (!isUsableHalfLife(context.sessionHalfLife))
      context.sessionHalfLife = kDefaultSessionHalfLife;
  }

  if (const Json* entries = member(object, "dwell")) {
    if (!entries->is_object()) throw json::decodingError("dwell", "expected an object");
    Date latest = Date::fromReference(-std::numeric_limits<double>::infinity());
    for (const auto& [key, item] : entries->items()) {
      std::string path = "dwell." + key;
      if (!item.is_object()) throw json::decodingError(path, "expected an object");
      Dwell entry{.seconds = json::require<double>(item, "seconds"),
                  .updated = json::require<Date>(item, "updated"),
                  .subject = json::optional<std::string>(item, "subject"),
                  .label = json::optional<std::string>(item, "label"),
                  .site = json::optional<std::string>(item, "site")};
      latest = std::max(latest, entry.updated);
      context.dwell.insert_or_assign(key, std::move(entry));
    }
    // Measured at the file's own latest update, the largest entries are the ones the next credit
    // would rank first, whenever it comes.
    keepLargest(context.dwell, kMaxDwell, latest, context.halfLife());
  }
  return context;
}

}  // namespace qb
