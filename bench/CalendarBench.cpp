// Cost of a local day: the calendar's start of a day and its days added, in a zone with daylight
// saving, over instants spread across a year (some of whose days are 23 or 25 hours long).
//
// Beside them, the same two questions answered by ICU's calendar, which the program used before
// it read the system's tz database: BM_Icu*/reused:0 as the program asked it (a fresh clone of
// one prototype calendar per question, since an ICU calendar holds state), BM_Icu*/reused:1 on
// one calendar kept for the whole run, the least ICU can cost. The setup checks that both give
// the same answers for every instant used; when they do not, every benchmark here is skipped with
// the first disagreement, since the figures would not answer the same question.

#include <benchmark/benchmark.h>
#include <unicode/calendar.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "base/Calendar.h"
#include "base/Date.h"

namespace qb {
namespace {

constexpr const char* kZone = "Europe/Berlin";
// Instants asked about: a power of two, so that the loops cycle through them with a mask.
constexpr size_t kInstants = 1024;
// 2025-01-01 00:00 UTC, and the year the instants spread over; the step is no whole number of
// hours, so that the instants fall at every time of day.
constexpr double kYearStart = 1735689600;
constexpr double kYearSeconds = 365 * 86400.0;
// Days added: a week back to six ahead, as the week's pages and the daily questions ask.
constexpr int kDaysSpan = 14;
constexpr int kFirstDays = -7;
// Both sides work in whole milliseconds at best; answers this close agree.
constexpr double kAgreementSeconds = 1e-3;
// Each timed question takes well under a microsecond: this long a run gives a steady figure and
// keeps the six runs of each repetition to tenths of a second.
constexpr double kMinSeconds = 0.05;

int daysFor(size_t i) { return kFirstDays + static_cast<int>(i % kDaysSpan); }

// An ICU calendar set up as the program's was: the first of a repeated midnight, the landing of a
// skipped one.
std::unique_ptr<icu::Calendar> icuCalendar() {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(
      icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(kZone)), status));
  if (U_FAILURE(status)) return nullptr;
  calendar->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
  calendar->setSkippedWallTimeOption(UCAL_WALLTIME_NEXT_VALID);
  return calendar;
}

std::optional<Date> icuStartOfDay(icu::Calendar& calendar, Date date) {
  UErrorCode status = U_ZERO_ERROR;
  calendar.setTime(date.unixTime() * 1000.0, status);
  calendar.set(UCAL_HOUR_OF_DAY, 0);
  calendar.set(UCAL_MINUTE, 0);
  calendar.set(UCAL_SECOND, 0);
  calendar.set(UCAL_MILLISECOND, 0);
  const double start = calendar.getTime(status);
  if (U_FAILURE(status)) return std::nullopt;
  return Date::fromUnix(start / 1000.0);
}

std::optional<Date> icuAddingDays(icu::Calendar& calendar, int days, Date date) {
  UErrorCode status = U_ZERO_ERROR;
  calendar.setTime(date.unixTime() * 1000.0, status);
  calendar.add(UCAL_DATE, days, status);
  const double moved = calendar.getTime(status);
  if (U_FAILURE(status)) return std::nullopt;
  return Date::fromUnix(moved / 1000.0);
}

bool agree(const std::optional<Date>& a, const std::optional<Date>& b) {
  return a && b && std::fabs(a->since(*b)) < kAgreementSeconds;
}

std::string describe(const std::optional<Date>& date) {
  return date ? std::to_string(date->unixTime()) : "none";
}

struct Setup {
  Calendar calendar = Calendar::inZone(kZone);
  std::unique_ptr<icu::Calendar> icu = icuCalendar();
  std::array<Date, kInstants> instants;
  // Empty when both calendars give the same answers for every instant.
  std::string disagreement;

  Setup() {
    for (size_t i = 0; i < kInstants; ++i) {
      // A quarter second past, as the program's dates rarely fall on a whole second.
      instants[i] = Date::fromUnix(
          kYearStart +
          std::floor(kYearSeconds * static_cast<double>(i) / static_cast<double>(kInstants)) +
          0.25);
    }
    if (!calendar.isKnownZone()) {
      disagreement = std::string("the system's tz database has no ") + kZone;
      return;
    }
    if (!icu) {
      disagreement = std::string("ICU has no calendar for ") + kZone;
      return;
    }
    for (size_t i = 0; i < kInstants && disagreement.empty(); ++i) {
      const Date at = instants[i];
      const std::optional<Date> start = calendar.startOfDay(at);
      const std::optional<Date> icuStart = icuStartOfDay(*icu, at);
      if (!agree(start, icuStart)) {
        disagreement = "start of the day of " + describe(at) + ": " + describe(start) + ", ICU " +
                       describe(icuStart);
      }
      const std::optional<Date> moved = calendar.addingDays(daysFor(i), at);
      const std::optional<Date> icuMoved = icuAddingDays(*icu, daysFor(i), at);
      if (disagreement.empty() && !agree(moved, icuMoved)) {
        disagreement = std::to_string(daysFor(i)) + " days from " + describe(at) + ": " +
                       describe(moved) + ", ICU " + describe(icuMoved);
      }
    }
  }
};

const Setup& setup() {
  static const Setup shared;
  return shared;
}

void BM_CalendarStartOfDay(benchmark::State& state) {
  const Setup& s = setup();
  if (!s.disagreement.empty()) return state.SkipWithError(s.disagreement.c_str());
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.calendar.startOfDay(s.instants[i++ % kInstants]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CalendarStartOfDay)->MinTime(kMinSeconds);

void BM_CalendarAddingDays(benchmark::State& state) {
  const Setup& s = setup();
  if (!s.disagreement.empty()) return state.SkipWithError(s.disagreement.c_str());
  size_t i = 0;
  for (auto _ : state) {
    const size_t at = i++ % kInstants;
    benchmark::DoNotOptimize(s.calendar.addingDays(daysFor(at), s.instants[at]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CalendarAddingDays)->MinTime(kMinSeconds);

// Asks ICU `question(calendar, instant's index)` for each instant in turn. range(0): 1 for one
// calendar kept for the run, 0 for a clone per question.
template <class Question>
void askIcu(benchmark::State& state, Question question) {
  const Setup& s = setup();
  if (!s.disagreement.empty()) return state.SkipWithError(s.disagreement.c_str());
  const bool reused = state.range(0) != 0;
  std::unique_ptr<icu::Calendar> kept(s.icu->clone());
  size_t i = 0;
  for (auto _ : state) {
    std::unique_ptr<icu::Calendar> fresh(reused ? nullptr : s.icu->clone());
    icu::Calendar& calendar = reused ? *kept : *fresh;
    benchmark::DoNotOptimize(question(calendar, i++ % kInstants));
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_IcuStartOfDay(benchmark::State& state) {
  const Setup& s = setup();
  askIcu(state, [&s](icu::Calendar& calendar, size_t at) {
    return icuStartOfDay(calendar, s.instants[at]);
  });
}
BENCHMARK(BM_IcuStartOfDay)->ArgName("reused")->Arg(0)->Arg(1)->MinTime(kMinSeconds);

void BM_IcuAddingDays(benchmark::State& state) {
  const Setup& s = setup();
  askIcu(state, [&s](icu::Calendar& calendar, size_t at) {
    return icuAddingDays(calendar, daysFor(at), s.instants[at]);
  });
}
BENCHMARK(BM_IcuAddingDays)->ArgName("reused")->Arg(0)->Arg(1)->MinTime(kMinSeconds);

}  // namespace
}  // namespace qb
