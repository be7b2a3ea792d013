// Format: the texts of times that every page, the tray menu and its cards share.

#pragma once

#include <QString>

#include "base/Date.h"

namespace qb::Format {

// Whole minutes cut toward zero: "45m" under an hour, else "1h 5m" (minutes never padded).
// "0m" for anything under a minute, negative durations included. Give finite durations only.
QString duration(Duration seconds);
// The whole minutes duration() shows ("1h 5m" is 65): 0 under a minute and for negatives.
long long minutes(Duration seconds);

// The time of day of `date` in the user's locale's short time style, without the date.
QString timeOfDay(Date date);

// A count with its noun in agreement: "1 prompt", "0 prompts", "3 days".
QString count(qint64 number, const QString& one, const QString& many);

}  // namespace qb::Format
