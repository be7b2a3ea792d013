#include "policy/Allowances.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Json.h"
#include "base/Log.h"
#include "context/RecordInput.h"

namespace qb {
namespace {

// first × 2^count, capped at longest. Beyond this many doublings the cap holds anyway, and the
// exponent stays small enough for ldexp whatever count a file held.
constexpr int64_t kMaxDoublings = 64;

Duration lengthAfter(int64_t count) {
  const auto doublings = static_cast<int>(std::clamp<int64_t>(count, 0, kMaxDoublings));
  return std::min(std::ldexp(Allowances::first, doublings), Allowances::longest);
}

}  // namespace

void Allowances::allow(const std::string& scope, Date at) {
  if (!at.isFinite()) return logRefused("Allowances::allow");
  // An entry stays while its last grant is less than `longest` ago, or in the future.
  std::erase_if(entries_,
                [&](const auto& entry) { return at.since(entry.second.last) >= longest; });
  int64_t count = 0;
  if (auto it = entries_.find(scope); it != entries_.end()) count = it->second.count;
  // Saturates rather than overflowing on a count no run of grants reaches.
  const int64_t next = count < std::numeric_limits<int64_t>::max() ? count + 1 : count;
  entries_[scope] = Allowance{next, at + lengthAfter(count), at};
}

bool Allowances::isAllowed(const std::string& scope, Date at) const {
  auto it = entries_.find(scope);
  return it != entries_.end() && it->second.until > at;
}

std::vector<Allowances::Active> Allowances::active(Date at) const {
  std::vector<Active> list;
  for (const auto& [scope, allowance] : entries_) {
    if (allowance.until > at) list.push_back(Active{scope, allowance});
  }
  // Stable over the map's key order, so equal ends come in scope order.
  std::stable_sort(list.begin(), list.end(), [](const Active& a, const Active& b) {
    return a.allowance.until < b.allowance.until;
  });
  return list;
}

void Allowances::remove(const std::string& scope) { entries_.erase(scope); }

Json Allowances::Allowance::toJson() const {
  return Json{
      {"count", json::encode(count)}, {"until", json::encode(until)}, {"last", json::encode(last)}};
}

Allowances::Allowance Allowances::Allowance::fromJson(const Json& object) {
  Allowance allowance;
  allowance.count = json::require<int64_t>(object, "count");
  allowance.until = json::require<Date>(object, "until");
  allowance.last = json::require<Date>(object, "last");
  return allowance;
}

Json Allowances::toJson() const {
  Json entries = Json::object();
  for (const auto& [scope, allowance] : entries_) entries[scope] = allowance.toJson();
  return Json{{"entries", std::move(entries)}};
}

Allowances Allowances::fromJson(const Json& object) {
  const Json& entries = json::requireObject(object, "entries");
  Allowances allowances;
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    const Allowance read = Allowance::fromJson(*it);
    // Every grant leaves count at least 1 and ends at most `longest` after it; a file that says
    // otherwise would shorten the next grant below `first` or silence the policy on that scope
    // for good.
    Allowance allowance = read;
    allowance.count = std::max<int64_t>(read.count, 1);
    allowance.until = std::min(read.until, read.last + longest);
    if (allowance != read) log::error("allowances: repaired the entry of " + it.key());
    allowances.entries_.emplace(it.key(), allowance);
  }
  return allowances;
}

}  // namespace qb
