// ZoneRule: how a zone's clocks change in the years after the changes its tz file lists.
//
// A tz file lists its zone's offsets change by change up to some year (2037 in the files Debian
// ships), then ends with one line of POSIX TZ text, such as "CET-1CEST,M3.5.0,M10.5.0/3", that
// gives the rule for every year after. parse() reads that text: a standard time with its offset
// (hours west of UTC, as POSIX writes them), and optionally a daylight time with its offset (one
// hour ahead of standard when none is written) and the two changes between them. Each change is
// "Mm.w.d", the d-th weekday (0 is Sunday) of week w (5: the last) of month m, at a local time of
// day that may be negative or reach past 24 hours, as RFC 8536 allows, 02:00 when none is
// written. A start's time is on the standard clock, an end's on the daylight clock. The Julian-day
// forms of a change, which no zone of the tz database uses, and a daylight time without its
// changes are refused. Offsets here are seconds east of UTC.
//
// A plain value, safe to share between threads.

#pragma once

#include <chrono>
#include <optional>
#include <string_view>

namespace qb {

struct ZoneRule {
  // The d-th weekday of week w of a month, at a local time of day.
  struct Change {
    unsigned month = 1;    // 1 to 12
    unsigned week = 1;     // 1 to 5, 5 being the month's last such weekday
    unsigned weekday = 0;  // 0 (Sunday) to 6
    std::chrono::seconds time{0};
  };
  struct Daylight {
    std::chrono::seconds offset{0};
    Change start;  // when daylight time begins, on the standard clock
    Change end;    // when it ends, on the daylight clock
  };
  // A stretch of time with one offset: begin <= instant < end.
  struct Period {
    std::chrono::sys_seconds begin;
    std::chrono::sys_seconds end;
    std::chrono::seconds offset{0};
  };

  // The rule the text states; absent for text that is not one of the forms above.
  static std::optional<ZoneRule> parse(std::string_view text);

  // The stretch of one offset that holds at `at`; without daylight time it spans all time.
  Period periodAt(std::chrono::sys_seconds at) const;

  std::chrono::seconds standard{0};
  std::optional<Daylight> daylight;
};

}  // namespace qb
