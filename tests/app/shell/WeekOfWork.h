// A week of work in the event log whose every figure differs from every other: each day its own
// minutes of focus and of detours and its own number of prompts, the week's totals of each kind of
// time and each answer apart, and each project's time apart, today's from the week's. A page that
// shows one figure in another's place, or yesterday's in today's, shows a number no other figure
// of the week has.
//
// The week ends on Monday 11 May 2026 in the zone the tests run in. The days before it are logged
// as the coordinator logs them; the Monday is lived on the model's manual clock from 8:00 to noon,
// the break and the pause taken through the model's own commands.
//
// What the week holds, day by day (focus, detours, prompts):
//   Tue 1h 10m, 5m, 2    Wed 3h 20m, 31m, 4    Thu 25m, 2m, 1    Fri 2h 26m, 13m, 6
//   Sat 1h 35m, 44m, 5   Sun 1h 58m, 16m, 0    Mon (today) 2h 55m, 22m, 3
// The Monday, stretch by stretch: focus 8:05-8:36 (Quillbrook), a detour to 8:44 with a prompt
// answered back to work, focus to 9:27 (Thesis), a 12-minute break, focus 9:39-10:05
// (Quillbrook), away to 10:24, paused to 10:31, focus to 11:22 (Taxes, the longest stretch), a
// switch and a detour to 11:36 with a prompt answered "it's for work", focus to noon (Taxes),
// and a prompt at 11:58 not yet answered.

#pragma once

#include "base/Date.h"
#include "base/WallClock.h"

namespace qb {

class AppModel;
class EventStore;

namespace test {

class ManualTimers;

// The Monday at a time of day; `day` counts days from it (-6 is the Tuesday before).
Date mondayAt(int day, int hour, int minute = 0);

// Logs the six days before the Monday.
void logDaysBefore(EventStore& log);

// Moves the clock to the Monday's 8:00, then lives the morning up to noon: the event log gets
// what the coordinator logs as it goes, and the model takes the break and the pause.
void liveMonday(AppModel& model, EventStore& log, ManualTimers& timers, const WallClock& clock);

}  // namespace test
}  // namespace qb
