#include "policy/Presence.h"

#include <algorithm>
#include <cmath>

namespace qb {
namespace {

bool isPositiveFinite(double value) { return std::isfinite(value) && value > 0; }

}  // namespace

Duration Presence::allowance(const std::optional<std::string>& key) const {
  if (!key) return base;
  auto it = gaps_.find(*key);
  if (it == gaps_.end() || it->second.size() <= kMinGaps) return base;
  std::vector<Duration> sorted = it->second;
  std::sort(sorted.begin(), sorted.end());
  const auto index = static_cast<size_t>(static_cast<double>(sorted.size() - 1) * kPercentile);
  return std::min(std::max(base, kHeadroom * sorted[index]), most);
}

void Presence::learn(Duration gap, const std::string& key) {
  // A NaN is no measurement, and one in a list would leave its sort without an order.
  if (std::isnan(gap)) return;
  std::vector<Duration>& list = gaps_[key];
  list.push_back(gap);
  if (list.size() > kMaxGaps) list.erase(list.begin());
  if (gaps_.size() > kMaxKeys) {
    // The map has no notion of age, so the key that goes is the first in key order that is not
    // the one just learned.
    auto victim = gaps_.begin();
    if (victim->first == key) ++victim;
    gaps_.erase(victim);
  }
}

Json Presence::toJson() const {
  Json gaps = Json::object();
  for (const auto& [key, list] : gaps_) {
    Json array = Json::array();
    for (Duration gap : list) array.push_back(json::encode(gap));
    gaps[key] = std::move(array);
  }
  return Json{
      {"gaps", std::move(gaps)}, {"base", json::encode(base)}, {"most", json::encode(most)}};
}

Presence Presence::fromJson(const Json& object) {
  const Json& gaps = json::requireObject(object, "gaps");
  Presence presence;
  // Only the last kMaxKeys keys in key order are kept: the ones learning would have kept, since
  // it sheds the first keys. Every entry is still checked, so a malformed file fails whatever
  // its size.
  const size_t dropKeys = gaps.size() > kMaxKeys ? gaps.size() - kMaxKeys : 0;
  size_t index = 0;
  for (auto it = gaps.begin(); it != gaps.end(); ++it, ++index) {
    if (!it->is_array()) throw json::decodingError("gaps", "expected an array of numbers");
    // The newest kMaxGaps gaps, as learning keeps them.
    const size_t skip = it->size() > kMaxGaps ? it->size() - kMaxGaps : 0;
    std::vector<Duration> list;
    for (size_t i = 0; i < it->size(); ++i) {
      Duration gap = json::decode<double>((*it)[i], "gaps");
      if (index >= dropKeys && i >= skip) list.push_back(gap);
    }
    if (index >= dropKeys) presence.gaps_.emplace(it.key(), std::move(list));
  }
  // A zero, negative or non-finite limit would make every later allowance zero or endless, and the
  // value is only ever restored wholesale: such limits are repaired to their defaults.
  double base = json::require<double>(object, "base");
  double most = json::require<double>(object, "most");
  presence.base = isPositiveFinite(base) ? base : kDefaultBase;
  presence.most = isPositiveFinite(most) ? most : kDefaultMost;
  return presence;
}

}  // namespace qb
