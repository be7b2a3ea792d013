#include "base/ZoneRule.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace qb {

namespace {

using std::chrono::days;
using std::chrono::hours;
using std::chrono::local_days;
using std::chrono::minutes;
using std::chrono::seconds;
using std::chrono::sys_seconds;

// RFC 8536's bounds: an offset within a day of UTC, a change's time within a week of midnight.
constexpr unsigned kMaxOffsetHours = 24;
constexpr unsigned kMaxChangeHours = 167;
constexpr unsigned kMaxMinutesOrSeconds = 59;
// What POSIX assumes where the text is silent.
constexpr seconds kDefaultChangeTime = hours(2);
constexpr seconds kDefaultDaylightShift = hours(1);
constexpr unsigned kLastWeek = 5;
constexpr unsigned kMonths = 12;
constexpr unsigned kLastWeekday = 6;

// The ends of the periods of a rule without daylight time: as far as the calendar's years reach.
constexpr sys_seconds kFirstInstant{std::chrono::sys_days(std::chrono::year::min() / 1 / 1)};
constexpr sys_seconds kLastInstant{std::chrono::sys_days(std::chrono::year::max() / 12 / 31)};

class Reader {
public:
  explicit Reader(std::string_view text) : text_(text) {}

  bool done() const { return at_ == text_.size(); }
  bool next(char c) const { return !done() && text_[at_] == c; }
  bool take(char c) {
    if (!next(c)) return false;
    ++at_;
    return true;
  }

  // An abbreviation: letters, or anything but '>' between angle brackets ("<-03>").
  bool name() {
    if (take('<')) {
      const size_t close = text_.find('>', at_);
      if (close == std::string_view::npos || close == at_) return false;
      at_ = close + 1;
      return true;
    }
    const size_t start = at_;
    while (!done() && std::isalpha(static_cast<unsigned char>(text_[at_]))) ++at_;
    return at_ > start;
  }

  // Up to `maxDigits` decimal digits, at most `limit`.
  std::optional<unsigned> number(size_t maxDigits, unsigned limit) {
    unsigned value = 0;
    size_t digits = 0;
    for (; digits < maxDigits && !done() && std::isdigit(static_cast<unsigned char>(text_[at_]));
         ++digits, ++at_) {
      value = value * 10 + static_cast<unsigned>(text_[at_] - '0');
    }
    if (digits == 0 || value > limit) return std::nullopt;
    return value;
  }

  // [+|-]h[h[h]][:mm[:ss]]
  std::optional<seconds> time(unsigned maxHours) {
    const bool negative = take('-');
    if (!negative) take('+');
    const auto h = number(3, maxHours);
    if (!h) return std::nullopt;
    seconds total = hours(*h);
    if (take(':')) {
      const auto m = number(2, kMaxMinutesOrSeconds);
      if (!m) return std::nullopt;
      total += minutes(*m);
      if (take(':')) {
        const auto s = number(2, kMaxMinutesOrSeconds);
        if (!s) return std::nullopt;
        total += seconds(*s);
      }
    }
    return negative ? -total : total;
  }

  // Mm.w.d[/time]
  std::optional<ZoneRule::Change> change() {
    if (!take('M')) return std::nullopt;
    const auto month = number(2, kMonths);
    if (!month || *month == 0 || !take('.')) return std::nullopt;
    const auto week = number(1, kLastWeek);
    if (!week || *week == 0 || !take('.')) return std::nullopt;
    const auto weekday = number(1, kLastWeekday);
    if (!weekday) return std::nullopt;
    ZoneRule::Change change{*month, *week, *weekday, kDefaultChangeTime};
    if (take('/')) {
      const auto at = time(kMaxChangeHours);
      if (!at) return std::nullopt;
      change.time = *at;
    }
    return change;
  }

private:
  std::string_view text_;
  size_t at_ = 0;
};

// The instant of a change in a year, its local time read on the clock that runs before it.
sys_seconds instant(std::chrono::year year, const ZoneRule::Change& change, seconds before) {
  const std::chrono::month month{change.month};
  const std::chrono::weekday weekday{change.weekday};
  const local_days day = change.week == kLastWeek
                             ? local_days(year / month / weekday[std::chrono::last])
                             : local_days(year / month / weekday[change.week]);
  return sys_seconds{(day + change.time).time_since_epoch()} - before;
}

}  // namespace

std::optional<ZoneRule> ZoneRule::parse(std::string_view text) {
  Reader reader(text);
  if (!reader.name()) return std::nullopt;
  const auto west = reader.time(kMaxOffsetHours);
  if (!west) return std::nullopt;
  ZoneRule rule;
  rule.standard = -*west;
  if (reader.done()) return rule;

  if (!reader.name()) return std::nullopt;
  Daylight daylight{rule.standard + kDefaultDaylightShift, {}, {}};
  if (!reader.next(',')) {
    const auto daylightWest = reader.time(kMaxOffsetHours);
    if (!daylightWest) return std::nullopt;
    daylight.offset = -*daylightWest;
  }
  if (!reader.take(',')) return std::nullopt;
  const auto start = reader.change();
  if (!start || !reader.take(',')) return std::nullopt;
  const auto end = reader.change();
  if (!end || !reader.done()) return std::nullopt;
  daylight.start = *start;
  daylight.end = *end;
  rule.daylight = daylight;
  return rule;
}

ZoneRule::Period ZoneRule::periodAt(sys_seconds at) const {
  if (!daylight) return {kFirstInstant, kLastInstant, standard};
  struct Switch {
    sys_seconds at;
    seconds after;
  };
  // The changes of the years on either side too: south of the equator daylight time spans the new
  // year, and a change's time may carry it into the next day or the day before.
  const std::chrono::year year =
      std::chrono::year_month_day(std::chrono::floor<days>(at + standard)).year();
  std::array<Switch, 6> switches{};
  for (int i = 0; i < 3; ++i) {
    const std::chrono::year each = year + std::chrono::years(i - 1);
    switches[2 * i] = {instant(each, daylight->start, standard), daylight->offset};
    switches[2 * i + 1] = {instant(each, daylight->end, daylight->offset), standard};
  }
  std::sort(switches.begin(), switches.end(),
            [](const Switch& a, const Switch& b) { return a.at < b.at; });
  Period period{kFirstInstant, kLastInstant,
                switches.front().after == standard ? daylight->offset : standard};
  for (const Switch& each : switches) {
    if (each.at > at) {
      period.end = each.at;
      break;
    }
    period.begin = each.at;
    period.offset = each.after;
  }
  return period;
}

}  // namespace qb
