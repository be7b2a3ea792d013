#include "base/Calendar.h"

#include <unicode/calendar.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <cmath>

#include "base/Log.h"
#include "base/NoDestructor.h"

namespace qb {

namespace {

// The length of a day where the calendar falls back to UTC days.
constexpr double kUtcDaySeconds = 86400.0;
constexpr double kHourSeconds = 3600.0;

std::string idOf(const icu::TimeZone& zone) {
  icu::UnicodeString id;
  zone.getID(id);
  std::string out;
  id.toUTF8String(out);
  return out;
}

}  // namespace

struct Calendar::Impl {
  explicit Impl(std::unique_ptr<icu::TimeZone> zone);

  std::unique_ptr<icu::Calendar> prototype;  // never used directly: ICU calendars hold state
  std::string zoneID;
  bool known = false;
};

Calendar::Impl::Impl(std::unique_ptr<icu::TimeZone> zone)
    : zoneID(idOf(*zone)), known(*zone != icu::TimeZone::getUnknown()) {
  UErrorCode status = U_ZERO_ERROR;
  prototype.reset(icu::Calendar::createInstance(zone.release(), status));
  if (U_FAILURE(status)) {
    log::error("no calendar for the zone " + zoneID + " (" + u_errorName(status) +
               "): its days are counted as UTC days");
    prototype.reset();
    return;
  }
  // Where clocks go back across midnight (Havana, the Azores), midnight happens twice and the day
  // starts at the first one; ICU's default, the second, would start a day after instants in it.
  // Where clocks skip midnight (Santiago), the day starts when they land.
  prototype->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
  prototype->setSkippedWallTimeOption(UCAL_WALLTIME_NEXT_VALID);
}

Calendar::Calendar(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

Calendar Calendar::current() {
  // ICU reads the system's zone once per process anyway; sharing one calendar keeps the callers
  // that take it as a default argument cheap.
  static const NoDestructor<Calendar> shared(Calendar(std::make_shared<const Impl>(
      std::unique_ptr<icu::TimeZone>(icu::TimeZone::createDefault()))));
  return *shared;
}

Calendar Calendar::inZone(std::string_view zoneID) {
  const auto id = icu::UnicodeString::fromUTF8(
      icu::StringPiece(zoneID.data(), static_cast<int32_t>(zoneID.size())));
  return Calendar(std::make_shared<const Impl>(
      std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(id))));
}

Date Calendar::startOfDay(Date date) const {
  const double millis = date.unixTime() * 1000.0;
  // ICU cannot place instants outside its range; such dates (and NaN) have no local day, and
  // UTC days are the least surprising answer.
  auto utcDay = [&] {
    return Date::fromUnix(std::floor(date.unixTime() / kUtcDaySeconds) * kUtcDaySeconds);
  };
  if (!impl_->prototype || !std::isfinite(millis)) return utcDay();

  std::unique_ptr<icu::Calendar> calendar(impl_->prototype->clone());
  UErrorCode status = U_ZERO_ERROR;
  calendar->setTime(millis, status);
  calendar->set(UCAL_HOUR_OF_DAY, 0);
  calendar->set(UCAL_MINUTE, 0);
  calendar->set(UCAL_SECOND, 0);
  calendar->set(UCAL_MILLISECOND, 0);
  const double start = calendar->getTime(status);
  if (U_FAILURE(status)) {
    log::error("no local day for " + std::to_string(date.sinceReferenceDate) + " in " +
               impl_->zoneID + " (" + u_errorName(status) + "): its UTC day is used");
    return utcDay();
  }
  return Date::fromUnix(start / 1000.0);
}

std::optional<Date> Calendar::addingDays(int days, Date date) const {
  const double millis = date.unixTime() * 1000.0;
  if (!std::isfinite(millis)) return std::nullopt;
  if (!impl_->prototype) return date + days * kUtcDaySeconds;

  std::unique_ptr<icu::Calendar> calendar(impl_->prototype->clone());
  UErrorCode status = U_ZERO_ERROR;
  calendar->setTime(millis, status);
  calendar->add(UCAL_DATE, days, status);
  const double moved = calendar->getTime(status);
  if (U_FAILURE(status)) {
    log::error("no date " + std::to_string(days) + " days from " +
               std::to_string(date.sinceReferenceDate) + " in " + impl_->zoneID + " (" +
               u_errorName(status) + ")");
    return std::nullopt;
  }
  return Date::fromUnix(moved / 1000.0);
}

std::optional<int> Calendar::field(Date date, int field) const {
  const double millis = date.unixTime() * 1000.0;
  if (!std::isfinite(millis)) return std::nullopt;
  const auto icuField = static_cast<UCalendarDateFields>(field);
  if (!impl_->prototype) {
    // UTC days, as startOfDay() counts them; 1970-01-01 was a Thursday (5).
    const double days = std::floor(date.unixTime() / kUtcDaySeconds);
    if (icuField == UCAL_HOUR_OF_DAY) {
      return static_cast<int>(std::floor((date.unixTime() - days * kUtcDaySeconds) / kHourSeconds));
    }
    return static_cast<int>(std::fmod(std::fmod(days + 4, 7) + 7, 7)) + 1;
  }
  std::unique_ptr<icu::Calendar> calendar(impl_->prototype->clone());
  UErrorCode status = U_ZERO_ERROR;
  calendar->setTime(millis, status);
  const int32_t value = calendar->get(icuField, status);
  if (U_FAILURE(status)) {
    log::error("no local time for " + std::to_string(date.sinceReferenceDate) + " in " +
               impl_->zoneID + " (" + u_errorName(status) + ")");
    return std::nullopt;
  }
  return value;
}

std::optional<int> Calendar::hour(Date date) const { return field(date, UCAL_HOUR_OF_DAY); }

std::optional<int> Calendar::weekday(Date date) const { return field(date, UCAL_DAY_OF_WEEK); }

std::string Calendar::zoneID() const { return impl_->zoneID; }

bool Calendar::isKnownZone() const { return impl_->known; }

}  // namespace qb
