// ActivityKind: what the user is doing, as the analyzer answers it.

#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace qb {

enum class ActivityKind { work, entertainment, communication, neutral };

// Every kind, in declaration order.
inline constexpr std::array<ActivityKind, 4> kAllActivityKinds = {
    ActivityKind::work, ActivityKind::entertainment, ActivityKind::communication,
    ActivityKind::neutral};

// "work", "entertainment", "communication" or "neutral": the words the records store.
std::string_view rawValue(ActivityKind kind);
// The kind whose raw value is exactly text; absent for any other text.
std::optional<ActivityKind> parseActivityKind(std::string_view text);

// Leisure is entertainment only: communication and neutral time are not drift.
constexpr bool isLeisure(ActivityKind kind) { return kind == ActivityKind::entertainment; }

}  // namespace qb
