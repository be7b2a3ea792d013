// Instants stated by their UTC civil date and time, so that tests of local days do not lean on a
// calendar of their own.

#pragma once

#include "base/Date.h"

namespace qb::civil {

inline Date utc(int y, int mo, int d, int h = 0, int mi = 0) {
  y -= mo <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const double days = era * 146097.0 + doe - 719468;
  return Date::fromUnix(days * 86400 + h * 3600 + mi * 60);
}

}  // namespace qb::civil
