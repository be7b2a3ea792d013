// DailyQuestion: at most once per calendar day, one page to ask the user about.
//
// The coordinator adds the seconds the user spent on pages whose analysis was unsure; the page
// with the most such time today is offered once it has reached `minimum`, until the day's question
// is answered. Pages are keyed by ActivityHead::text(), the text the analyzer embeds, so
// observations that read the same to the model share one page. Days are local calendar days of the
// given calendar: a new day's first add() drops the previous day's pages.
//
// Only `answered` outlives the process (the coordinator keeps it in the user's settings and sets
// it back at launch); today's pages live in memory. A plain value with no clock: time comes in as
// `at`. Not thread-safe; used on one thread.

#pragma once

#include <map>
#include <optional>
#include <string>

#include "analysis/Moment.h"
#include "base/Calendar.h"
#include "base/Date.h"

namespace qb {

class DailyQuestion {
public:
  // Least unsure time on one page, in seconds, before it may be asked about.
  static constexpr Duration kDefaultMinimum = 120;

  struct Page {
    Moment moment;         // the latest observation of the page
    Duration seconds = 0;  // unsure seconds collected for it today
    friend bool operator==(const Page&, const Page&) = default;
  };

  explicit DailyQuestion(std::optional<Date> answeredDay = std::nullopt) : answered(answeredDay) {}

  // Adds unsure time to today's page of moment; the newest observation replaces the stored one.
  // Seconds or a time that are not finite are refused (see RecordInput.h).
  void add(const Moment& moment, Duration seconds, Date at,
           const Calendar& calendar = Calendar::current());

  // The page to ask about now: absent when nothing was collected today, when today's question
  // was answered, or when no page has `minimum` seconds (a NaN minimum lets none qualify). Among
  // pages tied for the most seconds, the one whose key sorts first wins, so the choice is
  // repeatable.
  std::optional<Page> question(Date at, const Calendar& calendar = Calendar::current()) const;

  // Records that today's question was answered; pages keep collecting but nothing is offered
  // again until the next day. A time that is not finite is refused: `answered` is kept in the
  // user's settings, where it could not be saved.
  void answer(Date at, const Calendar& calendar = Calendar::current());

  // Forgets today's pages; `answered` and `minimum` are kept.
  void reset();

  Duration minimum = kDefaultMinimum;
  // Start of the local day of the last answer.
  std::optional<Date> answered;

private:
  std::optional<Date> day_;  // start of the local day whose pages are being collected
  std::map<std::string, Page> pages_;
};

}  // namespace qb
