// WorkSites: how much the user has worked on each web site, and when each host was seen.
//
// Work time credited to a site (a host with its first path segment or two, see section()) decays
// with a half-life and turns into a weight between 0 and 1: 1 − e^(−seconds / timeConstant), or 1
// for a site the user confirmed. The weight raises an activity score (reading()). Day totals of all
// credited work tell whether the record has seen enough work to be trusted (isBuilt()), and the
// first and last visit of each host whether a site is new (isNew()).
//
// A plain value the policy owns: no clock, no files. Time comes in as `at`; local days come from
// the calendar passed to credit(). The record bounds itself: credit() prunes day totals and sites
// older than `window` (sites keep while confirmed or worth kKeptSeconds) and the earliest days past
// kMaxDays; credit() and confirm() keep the kTrimmedSites updated last past kMaxSites sites;
// visit() keeps at most kMaxHosts hosts. Ties are broken by key, so the same history always keeps
// the same sites: among sites updated at the same time the smaller keys stay; among hosts last
// seen at the same time, visit() drops the first in host order.
//
// Operations given a time or seconds that are not finite numbers refuse them (see RecordInput.h).
//
// Saved form (sites.json), every key required: {"sites": {key: {"seconds", "confirmed",
// "updated"}}, "visits": {host: {"first", "last"}}, "days": [dayStart, seconds, ...],
// "timeConstant", "halfLife", "window"}. Dates are seconds since 2001-01-01 UTC; a day's key is the
// start of the local day as seconds since 1970-01-01 UTC.

#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/Moment.h"
#include "base/Calendar.h"
#include "base/Date.h"
#include "base/JsonFwd.h"
#include "context/RecordInput.h"

namespace qb {

struct WorkSites {
  struct Site {
    double seconds = 0;      // decayed seconds as of `updated`
    bool confirmed = false;  // the user said this site is for work
    Date updated;

    friend bool operator==(const Site&, const Site&) = default;
  };

  struct Visit {
    Date first;
    Date last;

    friend bool operator==(const Visit&, const Visit&) = default;
  };

  static constexpr double kDefaultTimeConstant = 3600;
  static constexpr double kDefaultHalfLife = 30 * 86400.0;
  static constexpr double kDefaultWindow = 30 * 86400.0;

  // Sites not worked on within the window stay while their decayed seconds reach this.
  static constexpr double kKeptSeconds = 60;
  // Past kMaxSites sites, pruning keeps the kTrimmedSites updated last, so it runs rarely.
  static constexpr size_t kMaxSites = 300;
  static constexpr size_t kTrimmedSites = 200;
  // Past kMaxHosts hosts, a visit drops those not seen for kHostRetention, else the one seen least
  // recently.
  static constexpr size_t kMaxHosts = 2000;
  static constexpr double kHostRetention = 365 * 86400.0;
  // Day totals kept: ten years of days, far beyond any window in use; bounds days that lie in the
  // future (a clock set back), where the window never reaches them.
  static constexpr size_t kMaxDays = 3660;

  // A path segment with this many characters is an identifier, whatever it holds...
  static constexpr size_t kIdSegmentCharacters = 41;
  // ...as is one of at least this many characters of which 1 in kDigitShare or more are numeric.
  static constexpr size_t kNumberedSegmentCharacters = 8;
  static constexpr size_t kDigitShare = 4;
  // A first segment this short (a language code) says little alone: the key keeps a second one.
  static constexpr size_t kShortSegmentCharacters = 2;

  static constexpr std::array<std::string_view, 10> kSignInPathWords = {
      "login", "log-in", "signin", "sign-in", "sign_in",
      "auth",  "oauth",  "oauth2", "sso",     "authorize"};
  static constexpr std::array<std::string_view, 6> kSignInTitleWords = {
      "login", "log in", "sign in", "sign-in", "signin", "authorize"};

  std::map<std::string, Site, std::less<>> sites;    // by site key (section())
  std::map<std::string, Visit, std::less<>> visits;  // by site host (Moment::host())
  std::map<double, double> days;  // start of a local day (seconds since 1970) to seconds of work
  // Each refuses a value that is not a positive finite number (see RecordInput.h).
  PositiveDuration timeConstant{kDefaultTimeConstant};  // seconds at which the weight is 1 − 1/e
  PositiveDuration halfLife{kDefaultHalfLife};          // of a site's seconds
  PositiveDuration window{kDefaultWindow};  // how long day totals and stale sites are kept

  // Records a visit of the moment's host: the first visit sets `first`, every visit `last`.
  void visit(const Moment& moment, Date at);

  // Adds the seconds to the total of the local day of `at`, and to the moment's site when there is
  // one and reading reaches bar (NaN on either side does not); then prunes.
  void credit(const std::optional<Moment>& moment, double seconds, float reading, float bar,
              Date at, const Calendar& calendar = Calendar::current());

  // Marks the moment's site as work, keeping its decayed seconds. Past kMaxSites sites, keeps the
  // kTrimmedSites updated last, as credit() does; stale sites and days wait for the next credit.
  void confirm(const Moment& moment, Date at);

  // How much a page on the moment's site counts as work, 0 to 1: 0 for an unknown site, 1 for a
  // confirmed one.
  double weight(const Moment& moment, Date at) const;

  // The score raised by the site's weight: 1 − (1 − score) × (1 − weight), in 32-bit floats.
  float reading(float score, const Moment& moment, Date at) const;

  // True for a moment without a host, a host never visited, or one first visited less than
  // `within` seconds before `at`.
  bool isNew(const Moment& moment, Duration within, Date at) const;

  // True when warmup is not positive, or at least two days are recorded and their totals reach it.
  bool isBuilt(Duration warmup) const;

  // The site key: the host followed by the first path segment, or the first two when the first is
  // at most kShortSegmentCharacters long, stopping before the first identifier-like segment; path
  // segments lower-cased. Absent without a host.
  static std::optional<std::string> section(const Moment& moment);

  // True when a path component is a sign-in word, or the lower-cased title holds a sign-in phrase
  // as whole words.
  static bool isSignIn(const Moment& moment);

  Json toJson() const;
  // Throws qb::Error (decoding domain) for a missing key or a value of the wrong type. A constant
  // of zero or below is repaired to its default. A file beyond the record's bounds is cut to them:
  // the kMaxSites sites updated last, the kMaxHosts hosts seen last and the kMaxDays latest days.
  // Repairs and cuts are logged; a file the record wrote reads back unchanged.
  static WorkSites fromJson(const Json& json);

  friend bool operator==(const WorkSites&, const WorkSites&) = default;

private:
  // Drops old day totals and stale sites, then applies the bounds.
  void prune(Date at);
  // Keeps the kTrimmedSites updated last once there are more than kMaxSites.
  void trimSites();

  double decayed(const Site& site, Date at) const;
};

}  // namespace qb
