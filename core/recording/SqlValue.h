// SqlValue: one value bound to a recording statement, converted when it is made, so that a value
// the database cannot hold faithfully never reaches it.
//
// Conversions, by the type given:
//   - absent (std::nullopt, or an empty optional): NULL;
//   - text: bound as UTF-8, ill-formed sequences replaced with U+FFFD; a text longer than
//     kMaxTextBytes is stored as NULL and logged (no column holds anything near that much);
//   - a date: its Unix seconds; a double or a float: the number, widened; a date or number that
//     is NaN or infinite is NULL, since the export's JSON has no text for it;
//   - signed and unsigned integers: a 64-bit integer (an unsigned 64-bit value by its bit pattern);
//   - a boolean: 1 or 0.

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "base/Date.h"

namespace qb {

class SqlValue {
public:
  // Longer texts are refused: about a thousand pages of text, far beyond any field's content.
  static constexpr size_t kMaxTextBytes = size_t{1} << 20;

  using Storage = std::variant<std::monostate, int64_t, double, std::string>;

  SqlValue() = default;
  SqlValue(std::nullopt_t) {}
  SqlValue(std::string_view text);
  SqlValue(const std::string& text) : SqlValue(std::string_view(text)) {}
  SqlValue(const char* text) : SqlValue(std::string_view(text)) {}
  SqlValue(double number);
  SqlValue(float number) : SqlValue(static_cast<double>(number)) {}
  SqlValue(Date date) : SqlValue(date.unixTime()) {}
  SqlValue(int64_t number) : value_(number) {}
  SqlValue(uint64_t number) : value_(static_cast<int64_t>(number)) {}
  SqlValue(uint32_t number) : value_(static_cast<int64_t>(number)) {}
  SqlValue(int number) : value_(static_cast<int64_t>(number)) {}
  SqlValue(bool flag) : value_(static_cast<int64_t>(flag ? 1 : 0)) {}
  template <typename T>
  SqlValue(const std::optional<T>& value) : SqlValue(value ? SqlValue(*value) : SqlValue()) {}

  const Storage& storage() const { return value_; }
  bool isNull() const { return std::holds_alternative<std::monostate>(value_); }

  friend bool operator==(const SqlValue&, const SqlValue&) = default;

private:
  Storage value_;
};

}  // namespace qb
