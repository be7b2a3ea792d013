#include "base/Calendar.h"

#include <unicode/calendar.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <cmath>

namespace qb {

struct Calendar::Impl {
  std::unique_ptr<icu::Calendar> prototype;  // never used directly: ICU calendars hold state
  std::string zoneID;
  bool known = false;
};

namespace {

std::string idOf(const icu::TimeZone& zone) {
  icu::UnicodeString id;
  zone.getID(id);
  std::string out;
  id.toUTF8String(out);
  return out;
}

}  // namespace

Calendar::Calendar(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

Calendar Calendar::current() {
  // ICU reads the system's zone once per process anyway; sharing one calendar keeps the callers
  // that take it as a default argument cheap.
  static const Calendar shared = [] {
    auto impl = std::make_shared<Impl>();
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
    impl->zoneID = idOf(*zone);
    impl->known = *zone != icu::TimeZone::getUnknown();
    UErrorCode status = U_ZERO_ERROR;
    impl->prototype.reset(icu::Calendar::createInstance(zone.release(), status));
    if (U_FAILURE(status)) impl->prototype.reset();
    return Calendar(std::move(impl));
  }();
  return shared;
}

Calendar Calendar::inZone(std::string_view zoneID) {
  auto impl = std::make_shared<Impl>();
  std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(
      icu::StringPiece(zoneID.data(), static_cast<int32_t>(zoneID.size())))));
  impl->known = *zone != icu::TimeZone::getUnknown();
  impl->zoneID = idOf(*zone);
  UErrorCode status = U_ZERO_ERROR;
  impl->prototype.reset(icu::Calendar::createInstance(zone.release(), status));
  if (U_FAILURE(status)) impl->prototype.reset();
  return Calendar(std::move(impl));
}

Date Calendar::startOfDay(Date date) const {
  const double millis = date.unixTime() * 1000.0;
  // ICU cannot place instants outside its range; such dates (and NaN) have no local day, and
  // UTC days are the least surprising answer.
  auto utcDay = [&] { return Date::fromUnix(std::floor(date.unixTime() / 86400.0) * 86400.0); };
  if (!impl_->prototype || !std::isfinite(millis)) return utcDay();

  std::unique_ptr<icu::Calendar> calendar(impl_->prototype->clone());
  UErrorCode status = U_ZERO_ERROR;
  calendar->setTime(millis, status);
  calendar->set(UCAL_HOUR_OF_DAY, 0);
  calendar->set(UCAL_MINUTE, 0);
  calendar->set(UCAL_SECOND, 0);
  calendar->set(UCAL_MILLISECOND, 0);
  const double start = calendar->getTime(status);
  if (U_FAILURE(status)) return utcDay();
  return Date::fromUnix(start / 1000.0);
}

std::string Calendar::zoneID() const { return impl_->zoneID; }

bool Calendar::isKnownZone() const { return impl_->known; }

}  // namespace qb
