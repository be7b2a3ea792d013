// JSON coding helpers over nlohmann::json.
//
// The program's JSON files follow one set of conventions: keys are field names; an optional field
// is written only when present; dates are seconds since 2001-01-01 UTC; UUIDs are their strings;
// 32-bit floats are written in their shortest form (0.7, not 0.699999988079071). Decoding is
// strict: a missing key or a value of the wrong type throws qb::Error in the decoding domain, so a
// reader can fail soft as a whole instead of guessing a field.

#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "base/Date.h"
#include "base/Error.h"
#include "base/JsonFwd.h"
#include "base/Uuid.h"

namespace qb {

namespace json {

// Deeper documents than this are rejected: nothing the program writes nests anywhere near it.
inline constexpr int kMaxDepth = 256;

// Parses text; throws qb::Error (decoding domain) for malformed JSON or nesting beyond kMaxDepth.
Json parse(std::string_view text);
// Compact text; ill-formed UTF-8 in strings is replaced with U+FFFD instead of throwing.
std::string dump(const Json& value, int indent = -1);

// The double whose shortest decimal form is the float's shortest decimal form.
double shortest(float value);

// --- Encoding ---

inline Json encode(Date date) { return date.sinceReferenceDate; }
inline Json encode(const Uuid& id) { return id.string(); }
inline Json encode(float value) { return shortest(value); }
inline Json encode(double value) { return value; }
inline Json encode(int64_t value) { return value; }
inline Json encode(bool value) { return value; }
inline Json encode(const std::string& value) { return value; }

// Writes key only when value is present.
template <typename T>
void putIfPresent(Json& object, const char* key, const std::optional<T>& value) {
  if (value) object[key] = encode(*value);
}

// --- Decoding ---

// The error that decoding throws: names the key or path and what was wrong.
qb::Error decodingError(std::string_view path, std::string_view what);

// Decodes one value of type T, throwing qb::Error (decoding domain) naming `path` on a mismatch.
// Numbers must be finite, and a float's must lie within its range.
// Supported: bool, std::string, double, float, int, int64_t, uint64_t, uint32_t, Date, Uuid, Json.
// Integers accept numbers with a whole value (128.0) within range.
template <typename T>
T decode(const Json& value, std::string_view path);

template <>
bool decode<bool>(const Json&, std::string_view);
template <>
std::string decode<std::string>(const Json&, std::string_view);
template <>
double decode<double>(const Json&, std::string_view);
template <>
float decode<float>(const Json&, std::string_view);
template <>
int decode<int>(const Json&, std::string_view);
template <>
int64_t decode<int64_t>(const Json&, std::string_view);
template <>
uint64_t decode<uint64_t>(const Json&, std::string_view);
template <>
uint32_t decode<uint32_t>(const Json&, std::string_view);
template <>
Date decode<Date>(const Json&, std::string_view);
template <>
Uuid decode<Uuid>(const Json&, std::string_view);
template <>
Json decode<Json>(const Json&, std::string_view);

// The value under key; throws when the object lacks it or it has the wrong type.
template <typename T>
T require(const Json& object, std::string_view key) {
  if (!object.is_object()) throw decodingError(key, "expected an object");
  auto it = object.find(key);
  if (it == object.end()) throw decodingError(key, "key not found");
  return decode<T>(*it, key);
}

// The object under key, without copying it; throws when it is missing or not an object.
inline const Json& requireObject(const Json& object, std::string_view key) {
  if (!object.is_object()) throw decodingError(key, "expected an object");
  auto it = object.find(key);
  if (it == object.end()) throw decodingError(key, "key not found");
  if (!it->is_object()) throw decodingError(key, "expected an object");
  return *it;
}

// The value under key, absent when the key is missing or null; throws on the wrong type.
template <typename T>
std::optional<T> optional(const Json& object, std::string_view key) {
  if (!object.is_object()) throw decodingError(key, "expected an object");
  auto it = object.find(key);
  if (it == object.end() || it->is_null()) return std::nullopt;
  return decode<T>(*it, key);
}

// A map whose keys are numbers is written as a flat array [key1, value1, key2, value2, ...].
template <typename Map>
Json encodeFlat(const Map& map) {
  Json array = Json::array();
  for (const auto& [key, value] : map) {
    array.push_back(encode(key));
    array.push_back(encode(value));
  }
  return array;
}

// Reads a flat [key, value, ...] array; throws for anything but an array of even length whose
// items have the right types. A repeated key keeps its last value.
template <typename Map>
Map decodeFlat(const Json& array, std::string_view path) {
  if (!array.is_array()) throw decodingError(path, "expected an array");
  if (array.size() % 2 != 0) throw decodingError(path, "expected keys and values in pairs");
  Map map;
  for (size_t i = 0; i < array.size(); i += 2) {
    map.insert_or_assign(decode<typename Map::key_type>(array[i], path),
                         decode<typename Map::mapped_type>(array[i + 1], path));
  }
  return map;
}

}  // namespace json
}  // namespace qb
