#include "analysis/ActivityKind.h"

namespace qb {

std::string_view rawValue(ActivityKind kind) {
  switch (kind) {
    case ActivityKind::work:
      return "work";
    case ActivityKind::entertainment:
      return "entertainment";
    case ActivityKind::communication:
      return "communication";
    case ActivityKind::neutral:
      return "neutral";
  }
  return "neutral";
}

std::optional<ActivityKind> parseActivityKind(std::string_view text) {
  for (ActivityKind kind : kAllActivityKinds) {
    if (rawValue(kind) == text) return kind;
  }
  return std::nullopt;
}

}  // namespace qb
