#include "context/WorkContext.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "base/Json.h"
#include "base/Regex.h"
#include "base/Text.h"

namespace qb {

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
