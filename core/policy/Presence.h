// Presence: how long an input pause may last, per place, while the user is still there.
//
// The policy teaches the finished input gaps it accepts under the key of what is in front (its
// scope) and asks for an allowance: idle time below it still counts as presence. A key with more
// than kMinGaps gaps gets one and a half times the 90th-percentile gap, kept between `base` and
// `most` (`most` wins when `base` exceeds it); other keys get `base`. Each key keeps its newest
// kMaxGaps gaps and the map at most kMaxKeys keys; nothing expires with time.
//
// JSON form (presence.json): {"gaps": {key: [seconds, oldest first]}, "base": n, "most": n}, all
// three keys required. A limit that is not a positive number, in a file or given, is refused and
// its default stays, so that no allowance becomes zero or endless; lists and maps longer than the
// limits are cut as learning would have cut them. Both are logged. A file we wrote reads back
// unchanged.
//
// A plain value; not thread-safe.

#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/Date.h"
#include "base/JsonFwd.h"
#include "context/RecordInput.h"

namespace qb {

class Presence {
public:
  static constexpr Duration kDefaultBase = 120;
  static constexpr Duration kDefaultMost = 600;
  // Gaps kept per key, and keys kept.
  static constexpr size_t kMaxGaps = 40;
  static constexpr size_t kMaxKeys = 300;
  // A key needs more gaps than this before its own gaps decide.
  static constexpr size_t kMinGaps = 4;
  // The percentile of the gaps that decides, and the headroom given above it.
  static constexpr double kPercentile = 0.9;
  static constexpr double kHeadroom = 1.5;
  using Gaps = std::map<std::string, std::vector<Duration>>;

  // base: the allowance without enough gaps, and the lowest one; most: the highest allowance.
  explicit Presence(Duration base = kDefaultBase, Duration most = kDefaultMost);

  // Idle seconds that still count as presence for key; `base` without a key or enough gaps.
  Duration allowance(const std::optional<std::string>& key) const;

  // Appends a finished gap to key's list, dropping the key's oldest gap beyond kMaxGaps and one
  // other key beyond kMaxKeys. A gap that is not a finite number is refused (and logged): it is no
  // measurement, it would leave the sort without an order, and the file could not hold it.
  void learn(Duration gap, const std::string& key);

  const Gaps& gaps() const { return gaps_; }
  Duration base() const { return base_; }
  Duration most() const { return most_; }

  Json toJson() const;
  // Throws qb::Error (decoding domain) when a key is missing or has the wrong type.
  static Presence fromJson(const Json& json);

  friend bool operator==(const Presence&, const Presence&) = default;

private:
  Gaps gaps_;
  PositiveDuration base_{kDefaultBase};
  PositiveDuration most_{kDefaultMost};
};

}  // namespace qb
