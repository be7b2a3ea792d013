// Uuid: a 128-bit universally unique identifier, written as 36 upper-case hex digits and hyphens.

#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qb {

struct Uuid {
  std::array<uint8_t, 16> bytes{};

  // A random (version 4) identifier from the system's entropy source.
  static Uuid random();
  // Accepts the 8-4-4-4-12 form in either case; absent for anything else.
  static std::optional<Uuid> parse(std::string_view text);

  std::string string() const;

  friend bool operator==(const Uuid&, const Uuid&) = default;
  friend auto operator<=>(const Uuid&, const Uuid&) = default;
};

}  // namespace qb

template <>
struct std::hash<qb::Uuid> {
  size_t operator()(const qb::Uuid& id) const noexcept;
};
