// Allowances: per-scope permissions the user grants by answering that a page is for work.
//
// While a scope is allowed the policy does not treat it as a distraction. A first grant lasts
// `first` (2 hours); each grant within `longest` (30 days) of the scope's previous one lasts twice
// as long as the one before, up to `longest`, counted from the new grant. An entry outlives its end
// so that the chain can continue, and is forgotten at the first grant of any scope made `longest`
// or more after its own last grant, or by remove().
//
// JSON form (allowed.json): {"entries": {scope: {"count": n, "until": date, "last": date}}}, every
// key required, dates as seconds since 2001-01-01 UTC. Reading repairs what no grant can produce
// and what would otherwise stick, and logs it: a count below 1 becomes 1, and an `until` beyond
// `last` + `longest` is cut to it. A file we wrote reads back unchanged.
//
// A plain value with no clock: time comes in as `at`. Not thread-safe.

#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/Date.h"
#include "base/JsonFwd.h"

namespace qb {

class Allowances {
public:
  // The length of a first allowance, and the longest one (also how long a chain keeps).
  static constexpr Duration first = 7200;
  static constexpr Duration longest = 2592000;

  struct Allowance {
    int64_t count = 0;  // grants in a row, each within `longest` of the one before; 1 at first
    Date until;         // the scope is allowed strictly before this time
    Date last;          // the latest grant

    Json toJson() const;
    static Allowance fromJson(const Json& json);

    friend bool operator==(const Allowance&, const Allowance&) = default;
  };

  struct Active {
    std::string scope;
    Allowance allowance;
    friend bool operator==(const Active&, const Active&) = default;
  };

  Allowances() = default;

  // Grants or extends scope's allowance from now, after forgetting every stale entry. A time that
  // is not a finite number changes nothing (and is logged): it would allow the scope for ever, or
  // be saved as null and leave the file unreadable.
  void allow(const std::string& scope, Date at);
  // True when scope's allowance ends later than at.
  bool isAllowed(const std::string& scope, Date at) const;
  // The allowances that end later than at, the one that ends first first; equal ends in scope
  // order.
  std::vector<Active> active(Date at) const;
  // Deletes scope's entry; its next grant starts over at `first`.
  void remove(const std::string& scope);

  const std::map<std::string, Allowance>& entries() const { return entries_; }

  Json toJson() const;
  // Throws qb::Error (decoding domain) when a key is missing or has the wrong type.
  static Allowances fromJson(const Json& json);

  friend bool operator==(const Allowances&, const Allowances&) = default;

private:
  std::map<std::string, Allowance> entries_;
};

}  // namespace qb
