// History: what the pages draw, built from the event log.
//
// Pure functions over lists of EventStore::Event, which they expect oldest first, as
// EventStore::events() gives them: today's timeline of spans, the prompts on it, the totals of the
// last days and the time per task. No state, no I/O, no clock: every time comes in as an argument.
//
// An event's value is the seconds that ended at its time (work, detour, away, paused), except for
// a break, which is logged when it starts with its planned length. So a work event of 600 at 09:10
// is focus from 09:00 to 09:10, and a break of 900 at 09:10 runs to 09:25. An event whose time or
// value is not a finite number (the store never gives one) is ignored everywhere.

#pragma once

#include <string>
#include <vector>

#include "base/Calendar.h"
#include "base/Date.h"
#include "recording/EventStore.h"

namespace qb::History {

// In this order.
enum class Kind { focus, detour, breakTime, away, paused };

// One stretch of the timeline; built spans always end after they start.
struct Span {
  Kind kind = Kind::focus;
  Date start;
  Date end;

  friend bool operator==(const Span&, const Span&) = default;
};

// One local day's totals: seconds for focus, detours, away and paused; counts for the rest.
struct Day {
  Date start;
  double focus = 0;    // work events
  double detours = 0;  // detour events
  int prompts = 0;
  int back = 0;
  int forWork = 0;  // related events
  int breaks = 0;   // breakTaken events
  int closed = 0;   // dismissed events
  int switches = 0;
  double away = 0;
  double paused = 0;

  Day() = default;
  explicit Day(Date dayStart) : start(dayStart) {}

  friend bool operator==(const Day&, const Day&) = default;
};

struct Task {
  std::string name;
  double seconds = 0;

  friend bool operator==(const Task&, const Task&) = default;
};

// The spans of the events, clipped to [from, to]. A span that follows the last one of its own
// kind by less than gap seconds (an overlap counts) extends it; only the last span ever grows, so
// a detour between two stretches of focus keeps them apart.
std::vector<Span> spans(const std::vector<EventStore::Event>& events, Date from, Date to,
                        double gap);

// The times of the prompt events with from <= time < to, in the order given.
std::vector<Date> prompts(const std::vector<EventStore::Event>& events, Date from, Date to);

// The starts of count local days ending with the day of now, oldest first: each day's own first
// instant, whatever the clocks do at its midnight, so a day whose midnight they skip starts when
// they land. A day the calendar cannot form is left out; a count of 0 or less gives none. The
// events that days() counts are those from the first of them on.
std::vector<Date> dayStarts(int count, Date now, const Calendar& calendar);

// count local days ending with the day of now (dayStarts()), oldest first, each with the totals of
// the events in it. An event counts whole on the day of its time, even when its seconds reach back
// over midnight; one before the first day is left out, and one after today counts to today. A day
// the calendar cannot form is left out; a count of 0 or less gives no days.
std::vector<Day> days(const std::vector<EventStore::Event>& events, int count, Date now,
                      const Calendar& calendar);

// The seconds of the labelled work events per task, most first (equal seconds by name). Labels
// with one ProjectMemory::key() are one task, named by the label with the most seconds (ties to
// the label that sorts first bytewise). An empty label counts as a label; work events without one
// are left out, as are all other events.
std::vector<Task> tasks(const std::vector<EventStore::Event>& events);

}  // namespace qb::History
