#include "recording/SqlValue.h"

#include <cmath>

#include "base/Log.h"
#include "base/Text.h"

namespace qb {

SqlValue::SqlValue(std::string_view text) {
  if (text.size() > kMaxTextBytes) {
    log::error("Recording: a text of " + std::to_string(text.size()) +
               " bytes is too long to store; it is stored as NULL");
    return;
  }
  value_ = text::repairUtf8(text);
}

SqlValue::SqlValue(double number) {
  if (std::isfinite(number)) value_ = number;
}

}  // namespace qb
