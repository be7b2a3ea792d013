// Date: a point in wall-clock time, as seconds since 2001-01-01 00:00 UTC.
//
// This is the form dates take in every JSON file the program writes. The databases store Unix time,
// which is the same instant plus kUnixOffset. Nothing here reads a clock: callers pass time in.

#pragma once

#include <cmath>
#include <compare>

namespace qb {

// Durations are plain seconds.
using Duration = double;

struct Date {
  // Seconds from 1970-01-01 to 2001-01-01, both UTC.
  static constexpr double kUnixOffset = 978307200.0;

  double sinceReferenceDate = 0;

  static constexpr Date fromReference(double seconds) { return Date{seconds}; }
  static constexpr Date fromUnix(double seconds) { return Date{seconds - kUnixOffset}; }

  constexpr double unixTime() const { return sinceReferenceDate + kUnixOffset; }

  bool isFinite() const { return std::isfinite(sinceReferenceDate); }

  // Seconds from other to this date: positive when this date is later.
  constexpr Duration since(Date other) const {
    return sinceReferenceDate - other.sinceReferenceDate;
  }

  constexpr Date operator+(Duration seconds) const { return Date{sinceReferenceDate + seconds}; }
  constexpr Date operator-(Duration seconds) const { return Date{sinceReferenceDate - seconds}; }
  constexpr Date& operator+=(Duration seconds) {
    sinceReferenceDate += seconds;
    return *this;
  }

  friend constexpr bool operator==(Date, Date) = default;
  friend constexpr auto operator<=>(Date, Date) = default;
};

// The rule at every record's boundary: a time or a number that is not finite is refused, never
// kept. JSON has no text for NaN or an infinity, so one kept would be saved as null, and the saved
// file would no longer load: everything else the record had learned would be lost with it.
inline bool allFinite() { return true; }
template <typename... Rest>
bool allFinite(double value, Rest... rest) {
  return std::isfinite(value) && allFinite(rest...);
}
template <typename... Rest>
bool allFinite(Date date, Rest... rest) {
  return date.isFinite() && allFinite(rest...);
}

}  // namespace qb
