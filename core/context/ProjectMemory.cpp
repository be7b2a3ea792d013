#include "context/ProjectMemory.h"

#include <algorithm>
#include <limits>

#include "base/Json.h"
#include "base/Log.h"
#include "base/Regex.h"
#include "base/Text.h"

namespace qb {
namespace {

constexpr const char* kSiteKey = "site";
constexpr const char* kAppKey = "app";
constexpr const char* kValueKey = "_0";

// Lengths in characters; keys and hosts are mostly ASCII, where a byte is a character.
size_t lengthOf(std::string_view text) {
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return ascii ? text.size() : text::characterCount(text);
}

// Counts never wrap: a file may already hold the largest count.
int64_t incremented(int64_t value) {
  return value == std::numeric_limits<int64_t>::max() ? value : value + 1;
}

// The host is a workspace host or one of its subdomains.
bool isWorkspace(std::string_view host) {
  const auto& hosts = ProjectMemory::workspaceHosts();
  while (true) {
    if (hosts.count(host) > 0) return true;
    const size_t dot = host.find('.');
    if (dot == std::string_view::npos) return false;
    host.remove_prefix(dot + 1);
  }
}

// Keeps the `count` most recently updated candidates. Among equal dates the earlier key wins, as a
// stable sort of the map's key order gives.
void keepNewest(std::map<std::string, ProjectMemory::Candidate>& candidates, size_t count) {
  if (candidates.size() <= count) return;
  std::vector<std::map<std::string, ProjectMemory::Candidate>::iterator> order;
  order.reserve(candidates.size());
  for (auto it = candidates.begin(); it != candidates.end(); ++it) order.push_back(it);
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
    return a->second.updated > b->second.updated;
  });
  for (size_t i = count; i < order.size(); ++i) candidates.erase(order[i]);
}

// --- JSON helpers ---

const Json& member(const Json& object, std::string_view key) {
  if (!object.is_object()) throw json::decodingError(key, "expected an object");
  auto it = object.find(key);
  if (it == object.end()) throw json::decodingError(key, "key not found");
  return *it;
}

const Json& objectMember(const Json& object, std::string_view key) {
  const Json& value = member(object, key);
  if (!value.is_object()) throw json::decodingError(key, "expected an object");
  return value;
}

const Json& arrayMember(const Json& object, std::string_view key) {
  const Json& value = member(object, key);
  if (!value.is_array()) throw json::decodingError(key, "expected an array");
  return value;
}

Json encodeStrings(const std::set<std::string>& strings) {
  Json array = Json::array();
  for (const std::string& s : strings) array.push_back(s);
  return array;
}

// Says in the log how many items of a file's collection a load left out, and why.
void logDropped(std::string_view what, size_t read, size_t kept) {
  if (read <= kept) return;
  log::info("project memory: " + std::to_string(read - kept) + " " + std::string(what) +
            " of the file dropped");
}

// Every item is checked; beyond `limit` distinct strings the rest are left out.
std::set<std::string> decodeStrings(const Json& object, std::string_view key, size_t limit) {
  std::set<std::string> strings;
  size_t read = 0;
  for (const Json& item : arrayMember(object, key)) {
    auto value = json::decode<std::string>(item, key);
    if (strings.size() < limit) strings.insert(std::move(value));
    ++read;
  }
  logDropped(key, read, strings.size());
  return strings;
}

// The last `limit` distinct titles of a list, oldest first; a title that appears again counts
// where it appears last, as the memory itself moves a title seen again to the end.
template <typename Item, typename TitleOf>
std::vector<Item> lastDistinct(std::vector<Item> items, size_t limit, TitleOf titleOf) {
  std::vector<Item> kept;
  std::set<std::string> titles;
  for (auto it = items.rbegin(); it != items.rend() && kept.size() < limit; ++it) {
    const std::string& title = titleOf(*it);
    if (title.size() > ProjectMemory::kMaxTitleBytes) continue;
    if (titles.insert(title).second) kept.push_back(std::move(*it));
  }
  logDropped("repeated, overlong or surplus titles", items.size(), kept.size());
  std::reverse(kept.begin(), kept.end());
  return kept;
}

}  // namespace

// --- Source, Seen, Candidate ---

Json ProjectMemory::Source::toJson() const {
  Json inner = Json::object();
  inner[kValueKey] = value;
  Json object = Json::object();
  object[kind == Kind::site ? kSiteKey : kAppKey] = std::move(inner);
  return object;
}

ProjectMemory::Source ProjectMemory::Source::fromJson(const Json& object) {
  if (!object.is_object()) throw json::decodingError("source", "expected an object");
  const bool site = object.contains(kSiteKey);
  const bool app = object.contains(kAppKey);
  if (site == app)
    throw json::decodingError("source", "Invalid number of keys found, expected one.");
  const Json& inner = member(object, site ? kSiteKey : kAppKey);
  auto value = json::require<std::string>(inner, kValueKey);
  return site ? Source::site(std::move(value)) : Source::app(std::move(value));
}

Json ProjectMemory::Seen::toJson() const {
  Json object = Json::object();
  object["title"] = title;
  if (source) object["source"] = source->toJson();
  return object;
}

ProjectMemory::Seen ProjectMemory::Seen::fromJson(const Json& object) {
  Seen seen;
  seen.title = json::require<std::string>(object, "title");
  auto it = object.find("source");
  if (it != object.end() && !it->is_null()) seen.source = Source::fromJson(*it);
  return seen;
}

Json ProjectMemory::Candidate::toJson() const {
  Json spellingCounts = Json::object();
  for (const auto& [spelling, count] : spellings) spellingCounts[spelling] = count;
  Json titleDates = Json::object();
  for (const auto& [title, date] : titles) titleDates[title] = json::encode(date);
  Json object = Json::object();
  object["text"] = text;
  object["spellings"] = std::move(spellingCounts);
  object["titles"] = std::move(titleDates);
  object["sites"] = encodeStrings(sites);
  object["apps"] = encodeStrings(apps);
  object["agent"] = agent;
  object["assistant"] = assistant;
  object["confirmed"] = confirmed;
  object["updated"] = json::encode(updated);
  return object;
}

ProjectMemory::Candidate ProjectMemory::Candidate::fromJson(const Json& object) {
  Candidate candidate;
  candidate.text = json::require<std::string>(object, "text");
  for (const auto& [spelling, count] : objectMember(object, "spellings").items()) {
    candidate.spellings.emplace(spelling, json::decode<int64_t>(count, "spellings"));
  }
  for (const auto& [title, date] : objectMember(object, "titles").items()) {
    candidate.titles.emplace(title, json::decode<Date>(date, "titles"));
  }
  candidate.sites = decodeStrings(object, "sites", kEvidenceLimit);
  candidate.apps = decodeStrings(object, "apps", kEvidenceLimit);
  candidate.agent = json::require<bool>(object, "agent");
  candidate.assistant = json::optional<bool>(object, "assistant").value_or(false);
  candidate.confirmed = json::require<int64_t>(object, "confirmed");
  candidate.updated = json::require<Date>(object, "updated");

  // Beyond what back-fill can give, the most recently seen titles stay.
  if (candidate.titles.size() > kMaxLoadedTitles) {
    logDropped("candidate titles", candidate.titles.size(), kMaxLoadedTitles);
    std::vector<std::pair<std::string, Date>> byDate(candidate.titles.begin(),
                                                     candidate.titles.end());
    std::stable_sort(byDate.begin(), byDate.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    byDate.resize(kMaxLoadedTitles);
    candidate.titles = {byDate.begin(), byDate.end()};
  }
  // The most counted spellings stay, and always the one shown.
  if (candidate.spellings.size() > kEvidenceLimit) {
    std::vector<std::pair<std::string, int64_t>> byCount(candidate.spellings.begin(),
                                                         candidate.spellings.end());
    std::stable_sort(byCount.begin(), byCount.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::map<std::string, int64_t> kept;
    for (size_t i = 0; i < byCount.size(); ++i) {
      if (i < kEvidenceLimit || byCount[i].first == candidate.text) kept.insert(byCount[i]);
    }
    logDropped("spellings", candidate.spellings.size(), kept.size());
    candidate.spellings = std::move(kept);
  }
  return candidate;
}

// --- Queries ---

bool ProjectMemory::isTicketSpelling(std::string_view spelling) {
  // The pattern's first character is a capital; most spellings fail here without the engine.
  if (spelling.empty() || spelling.front() < 'A' || spelling.front() > 'Z') return false;
  const std::string checked = text::repairUtf8(spelling);
  auto match = ticketKey().wholeMatch(checked);
  if (!match || !match->groups[1]) return false;
  return !isYear(
      std::string_view(checked).substr(match->groups[1]->begin, match->groups[1]->size()));
}

std::vector<std::string> ProjectMemory::projects() const {
  std::vector<std::string> names;
  for (const auto& [key, candidate] : candidates) {
    if (isProject(candidate)) names.push_back(candidate.text);
  }
  // Byte order of UTF-8 is code point order.
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> ProjectMemory::namedIn(
    const std::vector<std::string>& titleWords) const {
  const Candidate* best = nullptr;
  size_t bestLength = 0;
  // Key order decides between candidates equal on length and titles: a later one must do better.
  for (const auto& [key, candidate] : candidates) {
    if (!mentionedBy(titleWords, key)) continue;
    const size_t length = lengthOf(key);
    if (best != nullptr &&
        (length < bestLength ||
         (length == bestLength && candidate.titles.size() <= best->titles.size()))) {
      continue;
    }
    // Tested last: it is the costly test, and most mentioned candidates are already outdone.
    if (!isProject(candidate)) continue;
    best = &candidate;
    bestLength = length;
  }
  if (best == nullptr) return std::nullopt;
  return best->text;
}

std::optional<std::string> ProjectMemory::project(std::string_view in) const {
  return namedIn(words(in));
}

std::optional<std::string> ProjectMemory::project(const std::optional<Url>& at) const {
  if (!at || at->path().empty()) return std::nullopt;
  return namedIn(words(at->path()));
}

std::string ProjectMemory::spelling(std::string_view of) const {
  auto it = candidates.find(key(of));
  return it == candidates.end() ? std::string(of) : it->second.text;
}

bool ProjectMemory::isProject(const Candidate& candidate) const {
  if (candidate.agent || candidate.assistant) return true;
  if (candidate.titles.size() < kMinProjectTitles) return false;
  if (!candidate.apps.empty() || candidate.confirmed >= 1) return true;
  for (const auto& [spelling, count] : candidate.spellings) {
    if (isTicketSpelling(spelling)) return true;
  }
  // Leaving hosts out can only remove workspace hosts, so without one there is nothing to weigh.
  if (std::none_of(candidate.sites.begin(), candidate.sites.end(),
                   [](const std::string& host) { return isWorkspace(host); })) {
    return false;
  }
  const std::string name = key(candidate.text);
  bool workspace = false;
  std::set<std::string> domains;
  for (const std::string& host : candidate.sites) {
    if (isHeader(name, host)) continue;
    workspace = workspace || isWorkspace(host);
    domains.insert(domain(host));
  }
  return workspace && domains.size() > 1;
}

bool ProjectMemory::isHeader(std::string_view key, std::string_view on) const {
  auto it = siteTitles.find(on);
  if (it == siteTitles.end() || it->second.size() < kMinHeaderTitles) return false;
  const auto& titles = it->second;
  const auto mentioning = std::count_if(
      titles.begin(), titles.end(), [&](const std::string& title) { return mentions(title, key); });
  return static_cast<double>(mentioning) / static_cast<double>(titles.size()) >= kHeaderShare;
}

// --- Learning ---

void ProjectMemory::addSource(Candidate& candidate, const std::optional<Source>& source) {
  if (!source) return;
  std::set<std::string>& hosts =
      source->kind == Source::Kind::site ? candidate.sites : candidate.apps;
  if (hosts.size() < kEvidenceLimit) hosts.insert(source->value);
}

ProjectMemory::Candidate ProjectMemory::backfilled(Candidate candidate, std::string_view key,
                                                   Date at) const {
  // Dated now rather than when each was seen: the sighting is what the title proves, and the
  // recent list keeps no dates.
  for (const Seen& entry : recent) {
    if (!mentions(entry.title, key)) continue;
    candidate.titles[entry.title] = at;
    addSource(candidate, entry.source);
  }
  return candidate;
}

ProjectMemory::Candidate& ProjectMemory::candidateFor(const std::string& key, std::string_view name,
                                                      Date at) {
  auto it = candidates.find(key);
  if (it == candidates.end()) {
    Candidate fresh{.text = std::string(name), .updated = at};
    it = candidates.emplace(key, backfilled(std::move(fresh), key, at)).first;
  }
  return it->second;
}

void ProjectMemory::observe(const std::vector<std::string>& names,
                            const std::optional<std::string>& title,
                            const std::optional<Source>& source, Date at) {
  if (!at.isFinite()) return logRefused("ProjectMemory::observe");
  for (const std::string& name : names) {
    // A full stop marks a file or a host, not a name.
    if (name.find('.') != std::string::npos) continue;
    const std::string nameKey = key(name);
    if (lengthOf(nameKey) < kMinKeyCharacters) continue;
    Candidate& candidate = candidateFor(nameKey, name, at);
    candidate.updated = at;
    auto spelling = candidate.spellings.find(name);
    if (spelling == candidate.spellings.end()) {
      if (candidate.spellings.size() >= kEvidenceLimit) continue;
      spelling = candidate.spellings.emplace(name, 0).first;
    }
    int64_t& count = spelling->second;
    count = incremented(count);
    auto shown = candidate.spellings.find(candidate.text);
    const int64_t shownCount = shown == candidate.spellings.end() ? 0 : shown->second;
    // On a tie the spelling shown stays.
    if (count > shownCount) candidate.text = name;
  }
  if (title && !title->empty()) mention(*title, source, at);
  prune(at);
}

void ProjectMemory::agentWorks(std::string_view in, Date at) {
  worksIn(in, at, &Candidate::agent, "ProjectMemory::agentWorks");
}

void ProjectMemory::assistantWorks(std::string_view in, Date at) {
  worksIn(in, at, &Candidate::assistant, "ProjectMemory::assistantWorks");
}

void ProjectMemory::worksIn(std::string_view name, Date at, bool Candidate::*evidence,
                            const char* operation) {
  if (!at.isFinite()) return logRefused(operation);
  const std::string nameKey = key(name);
  if (lengthOf(nameKey) < kMinKeyCharacters) return;
  Candidate& candidate = candidateFor(nameKey, name, at);
  candidate.*evidence = true;
  candidate.updated = at;
  prune(at);
}

void ProjectMemory::confirm(std::string_view title, const std::optional<Source>& source, Date at) {
  if (!at.isFinite()) return logRefused("ProjectMemory::confirm");
  const std::vector<std::string> titleWords = words(title);
  for (auto& [nameKey, candidate] : candidates) {
    if (mentionedBy(titleWords, nameKey)) candidate.confirmed = incremented(candidate.confirmed);
  }
  // An empty title mentions nothing; remembered, it would only dilute the site's header test.
  if (!title.empty()) mention(title, source, at);
}

void ProjectMemory::mention(std::string_view title, const std::optional<Source>& source, Date at) {
  const std::string seen(title);
  if (seen.size() <= kMaxTitleBytes) remember(seen, source);

  const std::vector<std::string> titleWords = words(seen);
  for (auto& [nameKey, candidate] : candidates) {
    if (!mentionedBy(titleWords, nameKey)) continue;
    auto held = candidate.titles.find(seen);
    if (held != candidate.titles.end()) {
      held->second = at;
    } else if (candidate.titles.size() < kTitleLimit) {
      candidate.titles.emplace(seen, at);
    }
    addSource(candidate, source);
    candidate.updated = at;
  }
}

void ProjectMemory::remember(const std::string& title, const std::optional<Source>& source) {
  std::erase_if(recent, [&](const Seen& entry) { return entry.title == title; });
  recent.push_back(Seen{title, source});
  // Counted after the title's earlier entry is gone, so seeing a title again never costs another.
  if (recent.size() > kRecentLimit) {
    recent.erase(recent.begin(),
                 recent.begin() + static_cast<ptrdiff_t>(recent.size() - kRecentLimit));
  }
  if (!source || source->kind != Source::Kind::site) return;

  const std::string& host = source->value;
  std::vector<std::string>& titles = siteTitles[host];
  std::erase(titles, title);
  titles.push_back(title);
  if (titles.size() > kSiteTitleLimit) {
    titles.erase(titles.begin(),
                 titles.begin() + static_cast<ptrdiff_t>(titles.size() - kSiteTitleLimit));
  }
  if (siteTitles.size() > kSiteLimit) {
    // The first other host in key order goes.
    for (auto it = siteTitles.begin(); it != siteTitles.end(); ++it) {
      if (it->first != host) {
        siteTitles.erase(it);
        break;
      }
    }
  }
}

void ProjectMemory::prune(Date at) {
  // A candidate dated after `at` has a negative age and stays.
  std::erase_if(candidates,
                [&](const auto& entry) { return !(at.since(entry.second.updated) < retention); });
  if (candidates.size() > kCandidateLimit) keepNewest(candidates, kCandidatesAfterCut);
}

// --- Saved form ---

Json ProjectMemory::toJson() const {
  Json candidateObjects = Json::object();
  for (const auto& [nameKey, candidate] : candidates)
    candidateObjects[nameKey] = candidate.toJson();
  Json recentList = Json::array();
  for (const Seen& entry : recent) recentList.push_back(entry.toJson());
  Json sites = Json::object();
  for (const auto& [host, titles] : siteTitles) sites[host] = titles;
  Json object = Json::object();
  object["candidates"] = std::move(candidateObjects);
  object["recent"] = std::move(recentList);
  object["siteTitles"] = std::move(sites);
  object["retention"] = json::encode(Duration(retention));
  return object;
}

ProjectMemory ProjectMemory::fromJson(const Json& object) {
  ProjectMemory memory;
  if (!object.is_object()) throw json::decodingError("$", "expected an object");

  const Json& candidates = objectMember(object, "candidates");
  for (const auto& [nameKey, value] : candidates.items()) {
    memory.candidates.emplace(nameKey, Candidate::fromJson(value));
    // Cutting as we go keeps a huge file from being held twice; the newest of all survive the
    // cuts, so the result is what one cut at the end would leave.
    if (memory.candidates.size() > 2 * kCandidateLimit) {
      keepNewest(memory.candidates, kCandidatesAfterCut);
    }
  }
  if (memory.candidates.size() > kCandidateLimit)
    keepNewest(memory.candidates, kCandidatesAfterCut);
  logDropped("candidates", candidates.size(), memory.candidates.size());

  std::vector<Seen> seen;
  for (const Json& item : arrayMember(object, "recent")) seen.push_back(Seen::fromJson(item));
  memory.recent = lastDistinct(std::move(seen), kRecentLimit,
                               [](const Seen& entry) -> const std::string& { return entry.title; });

  for (const auto& [host, value] : objectMember(object, "siteTitles").items()) {
    if (!value.is_array()) throw json::decodingError("siteTitles", "expected an array");
    std::vector<std::string> titles;
    for (const Json& title : value)
      titles.push_back(json::decode<std::string>(title, "siteTitles"));
    memory.siteTitles[host] =
        lastDistinct(std::move(titles), kSiteTitleLimit,
                     [](const std::string& title) -> const std::string& { return title; });
  }
  // The hosts that eviction would have kept: it removes the first ones in key order.
  logDropped("sites' title lists", memory.siteTitles.size(), kSiteLimit);
  while (memory.siteTitles.size() > kSiteLimit) memory.siteTitles.erase(memory.siteTitles.begin());

  // A retention of 0 or below would forget every candidate at the next observation; such a file
  // gets the default back and keeps everything else.
  const double retention = json::require<double>(object, "retention");
  if (PositiveDuration::accepts(retention)) {
    memory.retention = retention;
  } else {
    log::info("project memory: retention " + std::to_string(retention) +
              " s replaced by the default");
  }
  return memory;
}

}  // namespace qb
