#include "recording/History.h"

#include <algorithm>
#include <compare>
#include <map>
#include <optional>

#include "context/ProjectMemory.h"

namespace qb::History {

namespace {

using EventKind = EventStore::Kind;

// The stretch an event stands for, before clipping; absent for events that are instants.
std::optional<Span> rawSpan(const EventStore::Event& event) {
  switch (event.kind) {
    case EventKind::work:
      return Span{Kind::focus, event.at - event.value, event.at};
    case EventKind::detour:
      return Span{Kind::detour, event.at - event.value, event.at};
    case EventKind::away:
      return Span{Kind::away, event.at - event.value, event.at};
    case EventKind::paused:
      return Span{Kind::paused, event.at - event.value, event.at};
    case EventKind::breakTaken:
      // Logged when the break starts, with its planned length.
      return Span{Kind::breakTime, event.at, event.at + event.value};
    case EventKind::prompt:
    case EventKind::back:
    case EventKind::related:
    case EventKind::dismissed:
    case EventKind::switched:
      return std::nullopt;
  }
  return std::nullopt;
}

void add(Day& day, const EventStore::Event& event) {
  switch (event.kind) {
    case EventKind::prompt:
      ++day.prompts;
      break;
    case EventKind::back:
      ++day.back;
      break;
    case EventKind::related:
      ++day.forWork;
      break;
    case EventKind::breakTaken:
      ++day.breaks;
      break;
    case EventKind::dismissed:
      ++day.closed;
      break;
    case EventKind::switched:
      ++day.switches;
      break;
    case EventKind::work:
      day.focus += event.value;
      break;
    case EventKind::detour:
      day.detours += event.value;
      break;
    case EventKind::away:
      day.away += event.value;
      break;
    case EventKind::paused:
      day.paused += event.value;
      break;
  }
}

}  // namespace

std::vector<Span> spans(const std::vector<EventStore::Event>& events, Date from, Date to,
                        double gap) {
  std::vector<Span> result;
  for (const EventStore::Event& event : events) {
    if (!allFinite(event.at, event.value)) continue;
    auto span = rawSpan(event);
    if (!span) continue;
    span->start = std::max(from, span->start);
    span->end = std::min(to, span->end);
    if (!(span->end > span->start)) continue;
    if (!result.empty() && result.back().kind == span->kind &&
        span->start.since(result.back().end) < gap) {
      result.back().end = std::max(result.back().end, span->end);
    } else {
      result.push_back(*span);
    }
  }
  return result;
}

std::vector<Date> prompts(const std::vector<EventStore::Event>& events, Date from, Date to) {
  std::vector<Date> times;
  for (const EventStore::Event& event : events) {
    if (event.kind == EventKind::prompt && from <= event.at && event.at < to) {
      times.push_back(event.at);
    }
  }
  return times;
}

std::vector<Date> dayStarts(int count, Date now, const Calendar& calendar) {
  const Date today = calendar.startOfDay(now);
  std::vector<Date> starts;
  for (int back = count - 1; back >= 0; --back) {
    // Adding days keeps the wall time of today's start, which is not midnight on a day whose
    // clocks skip it: the day's own start is taken again.
    if (const auto day = calendar.addingDays(-back, today)) {
      starts.push_back(back == 0 ? today : calendar.startOfDay(*day));
    }
  }
  return starts;
}

std::vector<Day> days(const std::vector<EventStore::Event>& events, int count, Date now,
                      const Calendar& calendar) {
  std::vector<Day> result;
  for (const Date start : dayStarts(count, now, calendar)) result.emplace_back(start);
  for (const EventStore::Event& event : events) {
    if (!allFinite(event.at, event.value)) continue;
    const auto newest = std::find_if(result.rbegin(), result.rend(),
                                     [&](const Day& day) { return day.start <= event.at; });
    if (newest != result.rend()) add(*newest, event);
  }
  return result;
}

std::vector<Task> tasks(const std::vector<EventStore::Event>& events) {
  // key -> label -> seconds; labels in bytewise order, so the first of equal sums wins below.
  std::map<std::string, std::map<std::string, double>> groups;
  for (const EventStore::Event& event : events) {
    if (event.kind != EventKind::work || !event.label || !allFinite(event.value)) continue;
    groups[ProjectMemory::key(*event.label)][*event.label] += event.value;
  }
  std::vector<Task> result;
  for (const auto& [key, labels] : groups) {
    Task task;
    double most = 0;
    bool named = false;
    for (const auto& [label, seconds] : labels) {
      task.seconds += seconds;
      if (!named || seconds > most) {
        task.name = label;
        most = seconds;
        named = true;
      }
    }
    result.push_back(std::move(task));
  }
  // A total order even for sums that overflowed into NaN, which a plain < would leave unsorted.
  std::sort(result.begin(), result.end(), [](const Task& a, const Task& b) {
    if (const auto order = std::strong_order(b.seconds, a.seconds); order != 0) return order < 0;
    return a.name < b.name;
  });
  return result;
}

}  // namespace qb::History
