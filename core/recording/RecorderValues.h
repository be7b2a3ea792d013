// What the recorder's operations share in turning their arguments into stored values; used only
// by the recorder's own source files.

#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>

#include "base/Date.h"
#include "base/Log.h"

namespace qb::recorder {

// Results that blame the statement's own values or text: the statement is skipped and the batch
// goes on. Any other failure (busy, locked, full, I/O, out of memory) is the file's, and fails
// the batch.
inline bool isStatementFault(int result) {
  switch (result & 0xff) {
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
    case SQLITE_ERROR:
      return true;
    default:
      return false;
  }
}

// A date that is not a number would place a row at no time at all; such a call is refused, and
// said so.
inline bool refused(Date at, const char* operation) {
  if (at.isFinite()) return false;
  log::error(std::string("Recording: ") + operation + " at a time that is not a number; ignored");
  return true;
}

inline std::optional<double> milliseconds(std::optional<Duration> seconds) {
  if (!seconds) return std::nullopt;
  return *seconds * 1000;
}

}  // namespace qb::recorder
