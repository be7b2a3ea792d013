#include "context/WorkContext.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "base/Json.h"
#include "base/Log.h"
#include "base/Text.h"

namespace qb {

// --- The work itself ---

namespace {

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
    ranked.push_back({decayed(it->second, at, halfLife), it});
  }
  std::nth_element(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(keep), ranked.end(),
                   [](const Ranked& a, const Ranked& b) {
                     if (a.seconds != b.seconds) return a.seconds > b.seconds;
                     return a.entry->first < b.entry->first;
                   });
  for (size_t i = keep; i < ranked.size(); ++i) dwell.erase(ranked[i].entry);
}

std::vector<std::string> shortTitles(const WorkContext::Titles& titles, size_t count) {
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

void WorkContext::Titles::wordsChanged() {
  std::string joined;
  for (size_t i = 0; i < list_.size(); ++i) {
    if (i > 0) joined += ' ';
    joined += list_[i];
  }
  words_ = WorkContext::words(joined);
}

double WorkContext::seconds(const Dwell& entry, Date at) const {
  return decayed(entry, at, sessionHalfLife);
}

void WorkContext::credit(const std::string& key, double seconds, std::optional<std::string> subject,
                         std::optional<std::string> label, std::optional<std::string> site,
                         Date at) {
  Dwell entry;
  if (auto found = dwell.find(key); found != dwell.end()) entry = found->second;
  // The sum can overflow where both parts are finite.
  const double total = seconds + decayed(entry, at, sessionHalfLife);
  if (!allFinite(seconds, at, total)) return logRefused("WorkContext::credit");
  entry.seconds = total;
  entry.updated = at;
  if (subject) entry.subject = std::move(subject);
  if (label) entry.label = std::move(label);
  if (site) entry.site = std::move(site);
  dwell.insert_or_assign(key, std::move(entry));
  if (dwell.size() > kMaxDwell) keepLargest(dwell, kPrunedDwell, at, sessionHalfLife);
}

void WorkContext::add(const std::string& title) {
  if (title.empty()) return;
  std::vector<std::string>& list = titles.list_;
  const size_t before = list.size();
  const bool wasFirst = !list.empty() && list.front() == title;
  std::erase_if(list, [&](const std::string& t) { return text::canonicallyEqual(t, title); });
  list.insert(list.begin(), title);
  if (list.size() > kMaxTitles) list.pop_back();
  // The title in front seen again, the most common call, removed only itself: nothing changed.
  if (wasFirst && list.size() == before) return;
  titles.wordsChanged();
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
  const Words& context = titles.words();
  if (context.empty()) return false;

  std::optional<Words> siteWords;
  for (const std::string& word : words(title)) {
    if (context.count(word) == 0) continue;
    if (!siteWords) {
      std::string siteText = site.value_or("");
      std::replace(siteText.begin(), siteText.end(), '.', ' ');
      siteWords = words(siteText);
    }
    if (siteWords->count(word) == 0) return true;
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
  object["sessionHalfLife"] = json::encode(Duration(sessionHalfLife));
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
    if (i < kMaxTitles) context.titles.list_.push_back(std::move(title));
  }
  if (titleList->size() > kMaxTitles) {
    log::info("work context: " + std::to_string(titleList->size() - kMaxTitles) +
              " titles beyond the newest " + std::to_string(kMaxTitles) + " dropped");
  }
  context.titles.wordsChanged();

  // Like a missing one, a half-life of zero or below becomes the default, which every later decay
  // depends on.
  if (const Json* halfLife = member(object, "sessionHalfLife")) {
    const double seconds = json::decode<double>(*halfLife, "sessionHalfLife");
    if (PositiveDuration::accepts(seconds)) {
      context.sessionHalfLife = seconds;
    } else {
      log::info("work context: half-life " + std::to_string(seconds) +
                " s replaced by the default");
    }
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
    if (context.dwell.size() > kMaxDwell) {
      log::info("work context: " + std::to_string(context.dwell.size() - kMaxDwell) +
                " entries beyond the largest " + std::to_string(kMaxDwell) + " dropped");
      keepLargest(context.dwell, kMaxDwell, latest, context.sessionHalfLife);
    }
  }
  return context;
}

}  // namespace qb
