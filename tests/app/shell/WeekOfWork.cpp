#include "app/shell/WeekOfWork.h"

#include <QDateTime>
#include <optional>
#include <string>

#include "model/AppModel.h"
#include "recording/EventStore.h"
#include "support/ManualRuntime.h"

namespace qb::test {

namespace {

using Kind = EventStore::Kind;

constexpr double kMinute = 60;

// What the coordinator logs: time ends at its event, counted in minutes here; a prompt, an answer
// or a switch is one event of its own.
void spent(EventStore& log, Kind kind, double minutes, Date at,
           std::optional<std::string> project = std::nullopt) {
  log.log(kind, minutes * kMinute, project, at);
}
void once(EventStore& log, Kind kind, Date at) { log.log(kind, 1, std::nullopt, at); }

}  // namespace

Date mondayAt(int day, int hour, int minute) {
  const QDateTime local(QDate(2026, 5, 11).addDays(day), QTime(hour, minute));
  return Date::fromUnix(static_cast<double>(local.toSecsSinceEpoch()));
}

void logDaysBefore(EventStore& log) {
  // Tuesday.
  spent(log, Kind::work, 70, mondayAt(-6, 10, 10), "Quillbrook");
  once(log, Kind::prompt, mondayAt(-6, 10, 12));
  once(log, Kind::back, mondayAt(-6, 10, 13));
  spent(log, Kind::detour, 5, mondayAt(-6, 10, 15));
  once(log, Kind::prompt, mondayAt(-6, 14, 0));
  once(log, Kind::dismissed, mondayAt(-6, 14, 1));

  // Wednesday.
  once(log, Kind::prompt, mondayAt(-5, 9, 30));
  once(log, Kind::back, mondayAt(-5, 9, 31));
  once(log, Kind::switched, mondayAt(-5, 10, 0));
  spent(log, Kind::work, 120, mondayAt(-5, 11, 0), "Thesis");
  once(log, Kind::prompt, mondayAt(-5, 11, 5));
  once(log, Kind::back, mondayAt(-5, 11, 6));
  log.log(Kind::breakTaken, 15 * kMinute, std::nullopt, mondayAt(-5, 12, 0));
  once(log, Kind::switched, mondayAt(-5, 12, 30));
  once(log, Kind::prompt, mondayAt(-5, 13, 0));
  once(log, Kind::related, mondayAt(-5, 13, 1));
  once(log, Kind::switched, mondayAt(-5, 14, 0));
  spent(log, Kind::work, 80, mondayAt(-5, 15, 0), "Quillbrook");
  once(log, Kind::prompt, mondayAt(-5, 15, 20));
  once(log, Kind::dismissed, mondayAt(-5, 15, 21));
  spent(log, Kind::detour, 31, mondayAt(-5, 15, 31));
  spent(log, Kind::paused, 30, mondayAt(-5, 16, 30));

  // Thursday.
  spent(log, Kind::work, 18, mondayAt(-4, 8, 18), "Garden");
  spent(log, Kind::work, 7, mondayAt(-4, 8, 25), "Thesis");
  once(log, Kind::prompt, mondayAt(-4, 8, 26));
  once(log, Kind::related, mondayAt(-4, 8, 27));
  spent(log, Kind::detour, 2, mondayAt(-4, 8, 27));

  // Friday.
  for (int hour : {9, 10, 11, 12}) once(log, Kind::prompt, mondayAt(-3, hour, 10));
  once(log, Kind::back, mondayAt(-3, 9, 11));
  once(log, Kind::dismissed, mondayAt(-3, 10, 11));
  once(log, Kind::switched, mondayAt(-3, 10, 30));
  spent(log, Kind::work, 100, mondayAt(-3, 11, 40), "Quillbrook");
  once(log, Kind::dismissed, mondayAt(-3, 12, 11));
  spent(log, Kind::work, 46, mondayAt(-3, 13, 30), "Taxes");
  once(log, Kind::prompt, mondayAt(-3, 13, 35));
  once(log, Kind::prompt, mondayAt(-3, 13, 40));
  once(log, Kind::related, mondayAt(-3, 13, 41));
  spent(log, Kind::detour, 13, mondayAt(-3, 13, 43));
  once(log, Kind::switched, mondayAt(-3, 14, 0));
  spent(log, Kind::away, 45, mondayAt(-3, 15, 0));

  // Saturday.
  for (int minute : {5, 15, 25}) once(log, Kind::switched, mondayAt(-2, 9, minute));
  spent(log, Kind::work, 95, mondayAt(-2, 10, 35), "Thesis");
  for (int minute : {40, 50}) once(log, Kind::prompt, mondayAt(-2, 10, minute));
  once(log, Kind::back, mondayAt(-2, 10, 41));
  once(log, Kind::dismissed, mondayAt(-2, 10, 51));
  for (int minute : {0, 5, 10}) once(log, Kind::prompt, mondayAt(-2, 11, minute));
  spent(log, Kind::detour, 44, mondayAt(-2, 11, 19));

  // Sunday: no prompts, and a detour late in the evening.
  spent(log, Kind::work, 60, mondayAt(-1, 10, 0), "Quillbrook");
  spent(log, Kind::work, 58, mondayAt(-1, 20, 0), "Quillbrook");
  spent(log, Kind::detour, 16, mondayAt(-1, 23, 50));
}

void liveMonday(AppModel& model, EventStore& log, ManualTimers& timers, const WallClock& clock) {
  const auto until = [&](int hour, int minute) {
    timers.advance(mondayAt(0, hour, minute).since(clock.now()));
  };
  until(8, 0);
  once(log, Kind::prompt, mondayAt(0, 8, 40));
  once(log, Kind::back, mondayAt(0, 8, 41));
  spent(log, Kind::work, 31, mondayAt(0, 8, 36), "Quillbrook");
  spent(log, Kind::detour, 8, mondayAt(0, 8, 44));
  spent(log, Kind::work, 43, mondayAt(0, 9, 27), "Thesis");
  until(9, 27);
  model.startBreak(15);
  until(9, 39);
  model.endBreak();
  spent(log, Kind::work, 26, mondayAt(0, 10, 5), "Quillbrook");
  spent(log, Kind::away, 19, mondayAt(0, 10, 24));
  until(10, 24);
  model.pause();
  until(10, 31);
  model.resume();
  spent(log, Kind::work, 51, mondayAt(0, 11, 22), "Taxes");
  once(log, Kind::switched, mondayAt(0, 11, 22));
  once(log, Kind::prompt, mondayAt(0, 11, 25));
  once(log, Kind::related, mondayAt(0, 11, 26));
  spent(log, Kind::detour, 14, mondayAt(0, 11, 36));
  once(log, Kind::prompt, mondayAt(0, 11, 58));
  spent(log, Kind::work, 24, mondayAt(0, 12, 0), "Taxes");
  until(12, 0);
}

}  // namespace qb::test
