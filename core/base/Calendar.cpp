#include "base/Calendar.h"

#include <date/tz.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <exception>

#include "base/File.h"
#include "base/Log.h"
#include "base/NoDestructor.h"
#include "base/ZoneRule.h"

namespace qb {

namespace {

namespace chrono = std::chrono;
using chrono::local_seconds;
using chrono::sys_seconds;
using Period = ZoneRule::Period;

// The length of a day where the calendar cannot place a date and falls back to UTC days.
constexpr double kUtcDaySeconds = 86400.0;
// Where the date library reads the system's zones; each file's last line is read from here too.
constexpr std::string_view kZoneFolder = "/usr/share/zoneinfo/";
// A zone file is a few kilobytes; anything far larger is not one.
constexpr uint64_t kMaxZoneFileBytes = 1 << 20;
// What ICU called a zone it did not know; kept for the same case.
constexpr const char* kUnknownZone = "Etc/Unknown";
// The C library's zone for an empty TZ, and for a system that names no zone.
constexpr const char* kUtcZone = "UTC";
// TZ naming this file means the system's own setting.
constexpr std::string_view kSystemZoneFile = "/etc/localtime";
// The date library ends the last stretch a zone's file lists at the last day of its years.
constexpr sys_seconds kListEnd{chrono::sys_days(chrono::year::max() / 12 / 31)};
// No offset reaches this far from UTC, so every stretch whose wall-clock span can hold a wall
// time starts after the instant this long before that wall time read as UTC.
constexpr chrono::days kOffsetReach{2};
// The instants the calendar places: well inside the years its dates can be written in, so that a
// day's start or the days added to it stay inside them too. Others get UTC days or none.
constexpr double kFirstPlaceable = static_cast<double>(
    sys_seconds{chrono::sys_days(chrono::year(-30000) / 1 / 1)}.time_since_epoch().count());
constexpr double kLastPlaceable = -kFirstPlaceable;

bool placeable(double unixTime) {
  return unixTime >= kFirstPlaceable && unixTime <= kLastPlaceable;
}

double unixSeconds(sys_seconds at) { return static_cast<double>(at.time_since_epoch().count()); }

sys_seconds wholeSeconds(double unixTime) {
  return sys_seconds{chrono::seconds(static_cast<int64_t>(std::floor(unixTime)))};
}

// The rule on the last line of a zone's file, which carries on after the changes the file lists;
// absent when there is none (a zone whose offsets no rule can state) or it cannot be read, and
// then the last listed offset holds on.
std::optional<ZoneRule> laterRule(const std::string& zoneID) {
  const std::string path = std::string(kZoneFolder) + zoneID;
  std::string bytes;
  try {
    bytes = file::read(path, kMaxZoneFileBytes);
  } catch (const std::exception& error) {
    log::error(std::string("The time zone file can't be read, so its last listed offset is kept "
                           "for later years: ") +
               error.what());
    return std::nullopt;
  }
  // From version 2 on, a file ends with its rule between two line feeds.
  constexpr std::string_view kMagic = "TZif";
  const size_t versionAt = kMagic.size();
  if (!bytes.starts_with(kMagic) || bytes.size() <= versionAt || bytes[versionAt] < '2' ||
      !bytes.ends_with('\n')) {
    return std::nullopt;
  }
  const size_t opening = bytes.rfind('\n', bytes.size() - 2);
  if (opening == std::string::npos) return std::nullopt;
  const std::string_view text =
      std::string_view(bytes).substr(opening + 1, bytes.size() - opening - 2);
  if (text.empty()) return std::nullopt;
  std::optional<ZoneRule> rule = ZoneRule::parse(text);
  if (!rule) {
    log::error("The rule of the time zone " + zoneID + " (" + std::string(text) +
               ") is not one this program reads: its last listed offset is kept for later years");
  }
  return rule;
}

struct Found {
  const date::time_zone* zone = nullptr;
  std::string id;
};

Found find(std::string_view zoneID) {
  try {
    const date::time_zone* zone = date::locate_zone(zoneID);
    // Reads the zone's file now, so that a broken one shows here, not in the middle of a day count.
    zone->get_info(sys_seconds{});
    return {zone, std::string(zoneID)};
  } catch (const std::exception& error) {
    log::error("No time zone " + std::string(zoneID) + " in the system's database (" +
               error.what() + "): its days are counted as GMT days");
    return {nullptr, kUnknownZone};
  }
}

Found systemSetting() {
  try {
    return find(date::current_zone()->name());
  } catch (const std::exception& error) {
    log::error(std::string("The system names no time zone (") + error.what() +
               "): days are counted as UTC days");
    return find(kUtcZone);
  }
}

// The zone of the C library's local time, which the pages' times of day show.
Found systemZone() {
  const char* variable = std::getenv("TZ");
  if (variable == nullptr) return systemSetting();
  std::string_view id = variable;
  if (id.starts_with(':')) id.remove_prefix(1);
  if (id.empty()) return find(kUtcZone);
  if (id == kSystemZoneFile) return systemSetting();
  if (id.starts_with(kZoneFolder)) id.remove_prefix(kZoneFolder.size());
  return find(id);
}

}  // namespace

struct Calendar::Impl {
  explicit Impl(Found found)
      : zone(found.zone),
        later(zone ? laterRule(found.id) : std::nullopt),
        zoneID(std::move(found.id)) {}

  // The stretch of one offset that holds at `at`.
  Period periodAt(sys_seconds at) const;
  local_seconds wallTime(sys_seconds at) const {
    return local_seconds{(at + periodAt(at).offset).time_since_epoch()};
  }
  // The instant a wall time names: the earlier of two where the clocks went back over it, the
  // moment they landed where they skipped it.
  sys_seconds instantOf(local_seconds wall) const;

  // The database's zone, which it keeps for the life of the process; null for an id it lacks.
  const date::time_zone* zone;
  std::optional<ZoneRule> later;  // the zone's changes after those its file lists
  std::string zoneID;
};

Period Calendar::Impl::periodAt(sys_seconds at) const {
  if (!zone) return ZoneRule{}.periodAt(at);  // GMT
  const date::sys_info listed = zone->get_info(at);
  if (listed.end < kListEnd || !later) return {listed.begin, listed.end, listed.offset};
  Period period = later->periodAt(at);
  period.begin = std::max(period.begin, listed.begin);
  return period;
}

sys_seconds Calendar::Impl::instantOf(local_seconds wall) const {
  const sys_seconds asUtc{wall.time_since_epoch()};
  // Stretches in time order: the first whose wall-clock span holds `wall` has the earlier
  // instant of it; one that starts on the clock after `wall` follows a gap that swallowed it.
  for (Period period = periodAt(asUtc - kOffsetReach);; period = periodAt(period.end)) {
    if (wall < local_seconds{(period.begin + period.offset).time_since_epoch()}) {
      return period.begin;
    }
    if (wall < local_seconds{(period.end + period.offset).time_since_epoch()}) {
      return asUtc - period.offset;
    }
  }
}

Calendar::Calendar(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

Calendar Calendar::current() {
  // The zone is read once per process; sharing one calendar keeps the callers that take it as a
  // default argument cheap.
  static const NoDestructor<Calendar> shared(Calendar(std::make_shared<const Impl>(systemZone())));
  return *shared;
}

Calendar Calendar::inZone(std::string_view zoneID) {
  return Calendar(std::make_shared<const Impl>(find(zoneID)));
}

Date Calendar::startOfDay(Date date) const {
  const double unixTime = date.unixTime();
  // Dates the calendar cannot place (NaN too) have no local day, and UTC days are the least
  // surprising answer.
  if (!placeable(unixTime))
    return Date::fromUnix(std::floor(unixTime / kUtcDaySeconds) * kUtcDaySeconds);
  const local_seconds wall = impl_->wallTime(wholeSeconds(unixTime));
  return Date::fromUnix(unixSeconds(impl_->instantOf(chrono::floor<chrono::days>(wall))));
}

std::optional<Date> Calendar::addingDays(int days, Date date) const {
  const double unixTime = date.unixTime();
  if (!placeable(unixTime)) return std::nullopt;
  const double whole = std::floor(unixTime);
  const local_seconds wall = impl_->wallTime(wholeSeconds(whole));
  const chrono::local_days day = chrono::floor<chrono::days>(wall);
  const local_seconds moved = day + chrono::days(days) + (wall - day);
  if (!placeable(static_cast<double>(moved.time_since_epoch().count()))) return std::nullopt;
  const sys_seconds landed = impl_->instantOf(moved);
  // A wall time the clocks skipped lands where they did, with nothing of it left over.
  const double fraction = impl_->wallTime(landed) == moved ? unixTime - whole : 0;
  return Date::fromUnix(unixSeconds(landed) + fraction);
}

std::optional<local_seconds> Calendar::wallTime(Date date) const {
  const double unixTime = date.unixTime();
  if (!placeable(unixTime)) return std::nullopt;
  return impl_->wallTime(wholeSeconds(unixTime));
}

std::optional<int> Calendar::hour(Date date) const {
  const auto wall = wallTime(date);
  if (!wall) return std::nullopt;
  return static_cast<int>(
      chrono::floor<chrono::hours>(*wall - chrono::floor<chrono::days>(*wall)).count());
}

std::optional<int> Calendar::weekday(Date date) const {
  const auto wall = wallTime(date);
  if (!wall) return std::nullopt;
  // 1 is Sunday, as the C encoding's 0 is.
  return static_cast<int>(chrono::weekday(chrono::floor<chrono::days>(*wall)).c_encoding()) + 1;
}

std::string Calendar::zoneID() const { return impl_->zoneID; }

bool Calendar::isKnownZone() const { return impl_->zone != nullptr; }

}  // namespace qb
