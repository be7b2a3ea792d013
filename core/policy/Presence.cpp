#include "policy/Presence.h"

#include <algorithm>
#include <string>

#include "base/Json.h"
#include "base/Log.h"

namespace qb {

Presence::Presence(Duration base, Duration most) {
  // Each limit refuses a value that is not a positive finite number, keeping its default.
  base_ = base;
  most_ = most;
}

Duration Presence::allowance(const std::optional<std::string>& key) const {
  if (!key) return base();
  auto it = gaps_.find(*key);
  if (it == gaps_.end() || it->second.size() <= kMinGaps) return base();
  std::vector<Duration> sorted = it->second;
  std::sort(sorted.begin(), sorted.end());
  const auto index = static_cast<size_t>(static_cast<double>(sorted.size() - 1) * kPercentile);
  return std::min(std::max(base(), kHeadroom * sorted[index]), most());
}

void Presence::learn(Duration gap, const std::string& key) {
  if (!allFinite(gap)) return logRefused("Presence::learn");
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
      {"gaps", std::move(gaps)}, {"base", json::encode(base())}, {"most", json::encode(most())}};
}

Presence Presence::fromJson(const Json& object) {
  const Json& gaps = json::requireObject(object, "gaps");
  // Only the last kMaxKeys keys in key order are kept: the ones learning would have kept, since
  // it sheds the first keys. Every entry is still checked, so a malformed file fails whatever
  // its size.
  Gaps kept;
  size_t cut = 0;
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
    cut += index >= dropKeys ? skip : it->size();
    if (index >= dropKeys) kept.emplace(it.key(), std::move(list));
  }
  if (cut > 0) {
    log::error("presence: " + std::to_string(cut) + " gaps beyond the limits were not read");
  }
  const Duration base = json::require<double>(object, "base");
  const Duration most = json::require<double>(object, "most");
  Presence presence(base, most);
  presence.gaps_ = std::move(kept);
  return presence;
}

}  // namespace qb
