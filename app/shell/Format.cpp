#include "shell/Format.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace qb::Format {

namespace {

constexpr int kSecondsPerMinute = 60;
constexpr int kMinutesPerHour = 60;

}  // namespace

long long minutes(Duration seconds) {
  return static_cast<long long>(std::max(0.0, std::trunc(seconds / kSecondsPerMinute)));
}

QString duration(Duration seconds) {
  const long long whole = minutes(seconds);
  if (whole < kMinutesPerHour) return QStringLiteral("%1m").arg(whole);
  return QStringLiteral("%1h %2m").arg(whole / kMinutesPerHour).arg(whole % kMinutesPerHour);
}

QString timeOfDay(Date date) {
  const auto milliseconds = static_cast<qint64>(std::llround(date.unixTime() * 1000));
  const QTime time = QDateTime::fromMSecsSinceEpoch(milliseconds).time();
  const QLocale locale;
  // The C locale's short style still shows seconds, which a time to come back at never needs.
  if (locale.language() == QLocale::C) return time.toString(QStringLiteral("HH:mm"));
  return locale.toString(time, QLocale::ShortFormat);
}

QString count(qint64 number, const QString& one, const QString& many) {
  return QString::number(number) + ' ' + (number == 1 ? one : many);
}

}  // namespace qb::Format
