// Calendar: the user's calendar days, in a time zone, by the system's time-zone rules.
//
// Day totals and the once-a-day question count calendar days as the user lives them: a day starts
// at local midnight (the first one, on days whose clocks go back across midnight so that it happens
// twice; the first instant after it, on days that skip it), and days around a daylight-saving
// change are 23 or 25 hours long. The zone is fixed when the calendar
// is made; tests name it explicitly, the program uses the system's zone.
//
// The rules are the system's tz database (/usr/share/zoneinfo), read when a zone is first used,
// so that an update of the system's tzdata reaches the program at its next start, and its days
// agree with the local times that the C library and Qt show. Each zone's file lists its changes up
// to some year; the rule its last line states (ZoneRule) carries on after that.
//
// Immutable after construction and safe to share between threads.

#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/Date.h"

namespace qb {

class Calendar {
public:
  // The calendar of the system's time zone, as the process found it at its first use: the zone
  // that TZ names when it is set (as the C library reads it: an optional leading ":", then a zone
  // id or a file of the zone folder; empty is UTC), else the one /etc/localtime stands for. Records
  // that count local days take a calendar as a last argument that defaults to this one.
  static Calendar current();
  // The calendar of an IANA zone such as "Europe/Berlin". An id that the system's database does
  // not hold gives GMT days, under the id "Etc/Unknown", and logs it; isKnownZone() tells.
  static Calendar inZone(std::string_view zoneID);

  // The start of the local day that contains date: never after date.
  Date startOfDay(Date date) const;
  // True when both dates lie in the same local day.
  bool isSameDay(Date a, Date b) const { return startOfDay(a) == startOfDay(b); }
  // The date `days` local days after date (before it, for a negative count): the same wall time,
  // or the first valid one after it where the clocks skip it. Absent for a date that is not
  // finite or that the calendar cannot place.
  std::optional<Date> addingDays(int days, Date date) const;
  // The local hour of the day (0 to 23) and the weekday (1 is Sunday, 7 is Saturday) of date;
  // absent for a date that is not finite or that the calendar cannot place.
  std::optional<int> hour(Date date) const;
  std::optional<int> weekday(Date date) const;

  std::string zoneID() const;
  bool isKnownZone() const;

private:
  struct Impl;
  explicit Calendar(std::shared_ptr<const Impl> impl);
  // date's wall time on the local clock, to the whole second; absent for a date that is not
  // finite or that the calendar cannot place.
  std::optional<std::chrono::local_seconds> wallTime(Date date) const;
  std::shared_ptr<const Impl> impl_;
};

}  // namespace qb
