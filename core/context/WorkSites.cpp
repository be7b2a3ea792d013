#include "context/WorkSites.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/Json.h"
#include "base/Log.h"
#include "base/NoDestructor.h"
#include "base/Regex.h"
#include "base/Text.h"

namespace qb {
namespace {

// Keeps the `keep` entries that `before` ranks first and erases the rest. `before` must be a strict
// weak order that never calls two entries equal (break ties by key), so the result is the same
// whatever the map's layout.
template <typename Map, typename Before>
void keepFirst(Map& map, size_t keep, Before before) {
  if (map.size() <= keep) return;
  std::vector<typename Map::iterator> ranked;
  ranked.reserve(map.size());
  for (auto it = map.begin(); it != map.end(); ++it) ranked.push_back(it);
  std::nth_element(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(keep), ranked.end(),
                   [&](const auto& a, const auto& b) { return before(*a, *b); });
  for (size_t i = keep; i < ranked.size(); ++i) map.erase(ranked[i]);
}

bool updatedLater(const std::pair<const std::string, WorkSites::Site>& a,
                  const std::pair<const std::string, WorkSites::Site>& b) {
  if (a.second.updated != b.second.updated) return a.second.updated > b.second.updated;
  return a.first < b.first;
}

bool seenLater(const std::pair<const std::string, WorkSites::Visit>& a,
               const std::pair<const std::string, WorkSites::Visit>& b) {
  if (a.second.last != b.second.last) return a.second.last > b.second.last;
  return a.first < b.first;
}

bool isIdLike(const std::string& segment) {
  size_t characters = 0, numeric = 0;
  text::forEachCharacter(segment, [&](std::string_view character) {
    ++characters;
    numeric += text::isNumeric(character) ? 1 : 0;
    return characters < WorkSites::kIdSegmentCharacters;
  });
  if (characters >= WorkSites::kIdSegmentCharacters) return true;
  if (characters < WorkSites::kNumberedSegmentCharacters) return false;
  return characters <= WorkSites::kDigitShare * numeric;
}

const std::vector<Regex>& signInTitlePatterns() {
  static const NoDestructor<std::vector<Regex>> patterns([] {
    std::vector<Regex> out;
    for (std::string_view word : WorkSites::kSignInTitleWords) {
      out.emplace_back("\\b" + std::string(word) + "\\b");
    }
    return out;
  }());
  return *patterns;
}

// Every key is required; a constant of zero or below, which would break every later decay or
// prune every site, is replaced by its default.
void decodeConstant(const Json& object, const char* key, PositiveDuration& constant) {
  auto it = object.find(key);
  if (it == object.end()) throw json::decodingError(key, "key not found");
  const double value = json::decode<double>(*it, key);
  if (PositiveDuration::accepts(value)) {
    constant = value;
  } else {
    log::info(std::string("work sites: ") + key + " " + std::to_string(value) +
              " replaced by the default");
  }
}

// Logs a cut of a file's collection to the record's bound.
void logCut(const char* what, size_t count, size_t bound) {
  if (count <= bound) return;
  log::info("work sites: " + std::to_string(count - bound) + " " + what + " beyond " +
            std::to_string(bound) + " dropped");
}

const Json& requireMember(const Json& object, const char* key) {
  auto it = object.find(key);
  if (it == object.end()) throw json::decodingError(key, "key not found");
  return *it;
}

}  // namespace

double WorkSites::decayed(const Site& site, Date at) const {
  // A site updated after `at` (a clock set back) does not decay.
  const double elapsed = std::max(0.0, at.since(site.updated));
  return site.seconds * std::exp2(-elapsed / halfLife);
}

std::optional<std::string> WorkSites::section(const Moment& moment) {
  std::optional<std::string> host = moment.host();
  if (!host) return std::nullopt;

  // Only the first two segments can enter the key, so only they need to be read.
  std::vector<std::string> segments;
  for (const std::string& component : moment.url->pathComponents()) {
    if (component == "/") continue;
    segments.push_back(text::lowercased(component));
    if (segments.size() == 2) break;
  }
  size_t idLike = segments.size();
  for (size_t i = 0; i < segments.size(); ++i) {
    if (isIdLike(segments[i])) {
      idLike = i;
      break;
    }
  }
  const size_t wanted =
      idLike > 0 && text::characterCount(segments[0]) > kShortSegmentCharacters ? 1 : 2;
  std::string key = std::move(*host);
  for (size_t i = 0; i < std::min(wanted, idLike); ++i) {
    key += '/';
    key += segments[i];
  }
  return key;
}

bool WorkSites::isSignIn(const Moment& moment) {
  if (moment.url) {
    for (const std::string& component : moment.url->pathComponents()) {
      const std::string lower = text::lowercased(component);
      if (std::find(kSignInPathWords.begin(), kSignInPathWords.end(), lower) !=
          kSignInPathWords.end()) {
        return true;
      }
    }
  }
  const std::string title = text::lowercased(moment.title);
  for (const Regex& pattern : signInTitlePatterns()) {
    if (pattern.contains(title)) return true;
  }
  return false;
}

void WorkSites::visit(const Moment& moment, Date at) {
  std::optional<std::string> host = moment.host();
  if (!host) return;
  if (!at.isFinite()) return logRefused("WorkSites::visit");
  auto [found, created] = visits.try_emplace(std::move(*host), Visit{at, at});
  if (!created) found->second.last = at;
  if (visits.size() <= kMaxHosts) return;

  std::erase_if(visits,
                [&](const auto& entry) { return at.since(entry.second.last) >= kHostRetention; });
  if (visits.size() <= kMaxHosts) return;
  // The least recently seen host; among equals the first in host order.
  auto oldest = std::min_element(visits.begin(), visits.end(), [](const auto& a, const auto& b) {
    return a.second.last < b.second.last;
  });
  visits.erase(oldest);
}

void WorkSites::credit(const std::optional<Moment>& moment, double seconds, float reading,
                       float bar, Date at, const Calendar& calendar) {
  if (!allFinite(seconds, at)) return logRefused("WorkSites::credit");

  // Totals that would overflow to infinity could not be saved either; they stay as they were.
  const double day = calendar.startOfDay(at).unixTime();
  auto foundDay = days.find(day);
  const double dayTotal = (foundDay == days.end() ? 0 : foundDay->second) + seconds;
  if (allFinite(day, dayTotal)) {
    days.insert_or_assign(day, dayTotal);
  } else {
    logRefused("WorkSites::credit (day total)");
  }

  if (reading >= bar && moment) {
    if (std::optional<std::string> key = section(*moment)) {
      auto found = sites.find(*key);
      Site site = found == sites.end() ? Site{0, false, at} : found->second;
      const double total = seconds + decayed(site, at);
      if (allFinite(total)) {
        sites.insert_or_assign(std::move(*key), Site{total, site.confirmed, at});
      } else {
        logRefused("WorkSites::credit (site total)");
      }
    }
  }
  prune(at);
}

void WorkSites::confirm(const Moment& moment, Date at) {
  std::optional<std::string> key = section(moment);
  if (!key) return;
  if (!at.isFinite()) return logRefused("WorkSites::confirm");
  auto [found, created] = sites.try_emplace(std::move(*key), Site{0, false, at});
  found->second = Site{decayed(found->second, at), true, at};
  trimSites();
}

double WorkSites::weight(const Moment& moment, Date at) const {
  std::optional<std::string> key = section(moment);
  if (!key) return 0;
  auto found = sites.find(*key);
  if (found == sites.end()) return 0;
  if (found->second.confirmed) return 1;
  // Negative seconds (only ever credited by mistake) would give a weight below 0.
  return std::clamp(1 - std::exp(-decayed(found->second, at) / timeConstant), 0.0, 1.0);
}

float WorkSites::reading(float score, const Moment& moment, Date at) const {
  const auto complement = static_cast<float>(1.0 - weight(moment, at));
  return 1.0f - (1.0f - score) * complement;
}

bool WorkSites::isNew(const Moment& moment, Duration within, Date at) const {
  std::optional<std::string> host = moment.host();
  if (!host) return true;
  auto found = visits.find(*host);
  if (found == visits.end()) return true;
  return at.since(found->second.first) < within;
}

bool WorkSites::isBuilt(Duration warmup) const {
  if (warmup <= 0) return true;
  if (days.size() < 2) return false;
  double total = 0;
  for (const auto& [day, seconds] : days) total += seconds;
  return total >= warmup;
}

void WorkSites::prune(Date at) {
  const double now = at.unixTime();
  std::erase_if(days, [&](const auto& entry) { return !(now - entry.first < window); });
  while (days.size() > kMaxDays) days.erase(days.begin());
  std::erase_if(sites, [&](const auto& entry) {
    const Site& site = entry.second;
    return !(site.confirmed || at.since(site.updated) < window ||
             decayed(site, at) >= kKeptSeconds);
  });
  trimSites();
}

void WorkSites::trimSites() {
  if (sites.size() > kMaxSites) keepFirst(sites, kTrimmedSites, updatedLater);
}

Json WorkSites::toJson() const {
  Json siteObject = Json::object();
  for (const auto& [key, site] : sites) {
    Json item = Json::object();
    item["seconds"] = json::encode(site.seconds);
    item["confirmed"] = json::encode(site.confirmed);
    item["updated"] = json::encode(site.updated);
    siteObject[key] = std::move(item);
  }
  Json visitObject = Json::object();
  for (const auto& [host, visit] : visits) {
    Json item = Json::object();
    item["first"] = json::encode(visit.first);
    item["last"] = json::encode(visit.last);
    visitObject[host] = std::move(item);
  }
  Json object = Json::object();
  object["sites"] = std::move(siteObject);
  object["visits"] = std::move(visitObject);
  object["days"] = json::encodeFlat(days);
  object["timeConstant"] = json::encode(Duration(timeConstant));
  object["halfLife"] = json::encode(Duration(halfLife));
  object["window"] = json::encode(Duration(window));
  return object;
}

WorkSites WorkSites::fromJson(const Json& object) {
  if (!object.is_object()) throw json::decodingError("$", "expected an object");
  WorkSites record;
  decodeConstant(object, "timeConstant", record.timeConstant);
  decodeConstant(object, "halfLife", record.halfLife);
  decodeConstant(object, "window", record.window);

  // Every entry is decoded, so a malformed one fails the file even when the bounds would drop it.
  const Json& siteObject = requireMember(object, "sites");
  if (!siteObject.is_object()) throw json::decodingError("sites", "expected an object");
  for (const auto& [key, item] : siteObject.items()) {
    const std::string path = "sites." + key;
    if (!item.is_object()) throw json::decodingError(path, "expected an object");
    record.sites.insert_or_assign(
        key, Site{json::require<double>(item, "seconds"), json::require<bool>(item, "confirmed"),
                  json::require<Date>(item, "updated")});
  }
  logCut("sites", record.sites.size(), kMaxSites);
  keepFirst(record.sites, kMaxSites, updatedLater);

  const Json& visitObject = requireMember(object, "visits");
  if (!visitObject.is_object()) throw json::decodingError("visits", "expected an object");
  for (const auto& [host, item] : visitObject.items()) {
    const std::string path = "visits." + host;
    if (!item.is_object()) throw json::decodingError(path, "expected an object");
    record.visits.insert_or_assign(
        host, Visit{json::require<Date>(item, "first"), json::require<Date>(item, "last")});
  }
  logCut("hosts", record.visits.size(), kMaxHosts);
  keepFirst(record.visits, kMaxHosts, seenLater);

  record.days = json::decodeFlat<std::map<double, double>>(requireMember(object, "days"), "days");
  logCut("days", record.days.size(), kMaxDays);
  while (record.days.size() > kMaxDays) record.days.erase(record.days.begin());
  return record;
}

}  // namespace qb
