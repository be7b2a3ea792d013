#include "base/Json.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace qb::json {

Error decodingError(std::string_view path, std::string_view what) {
  std::string detail(path);
  detail += ": ";
  detail += what;
  return Error::decoding(detail);
}

namespace {

// Builds the value as nlohmann's own parser does, refusing each container that opens beyond
// kMaxDepth, so that a hostile document is refused before it costs more than kMaxDepth levels of
// work. Counting here keeps parsing linear: a parser callback would do the same, but nlohmann then
// rescans the parent for discarded values each time a container closes, which makes a long array
// of objects quadratic.
class DepthLimitedParser : public nlohmann::detail::json_sax_dom_parser<Json> {
public:
  explicit DepthLimitedParser(Json& result) : json_sax_dom_parser(result) {}

  bool start_object(std::size_t size) {
    open();
    return json_sax_dom_parser::start_object(size);
  }
  bool start_array(std::size_t size) {
    open();
    return json_sax_dom_parser::start_array(size);
  }
  bool end_object() {
    --depth_;
    return json_sax_dom_parser::end_object();
  }
  bool end_array() {
    --depth_;
    return json_sax_dom_parser::end_array();
  }

private:
  void open() {
    if (depth_ >= kMaxDepth) throw decodingError("$", "nesting too deep");
    ++depth_;
  }

  int depth_ = 0;  // containers open around the next value
};

}  // namespace

Json parse(std::string_view text) {
  Json result;
  DepthLimitedParser parser(result);
  try {
    // Malformed text makes the parser throw; a false answer would mean it stopped without saying.
    if (!Json::sax_parse(text.begin(), text.end(), &parser)) {
      throw decodingError("$", "the parser stopped without a value");
    }
  } catch (const Json::exception& e) {
    throw decodingError("$", e.what());
  }
  return result;
}

std::string dump(const Json& value, int indent) {
  return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

double shortest(float value) {
  if (!std::isfinite(value)) return static_cast<double>(value);
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc{}) return static_cast<double>(value);
  double result = 0;
  std::from_chars(buffer, end, result);
  return result;
}

namespace {

template <typename Int>
Int decodeInteger(const Json& value, std::string_view path) {
  if (value.is_number_integer()) {
    if (value.is_number_unsigned()) {
      auto u = value.get<uint64_t>();
      if (u > static_cast<uint64_t>(std::numeric_limits<Int>::max())) {
        throw decodingError(path, "number out of range");
      }
      return static_cast<Int>(u);
    }
    auto i = value.get<int64_t>();
    if (i < static_cast<int64_t>(std::numeric_limits<Int>::min()) ||
        (i > 0 &&
         static_cast<uint64_t>(i) > static_cast<uint64_t>(std::numeric_limits<Int>::max()))) {
      throw decodingError(path, "number out of range");
    }
    return static_cast<Int>(i);
  }
  if (value.is_number_float()) {
    double d = value.get<double>();
    // Whole-valued floats such as 128.0 are integers; the range test also rejects NaN.
    if (std::trunc(d) == d && d >= static_cast<double>(std::numeric_limits<Int>::min()) &&
        d < std::ldexp(1.0, std::numeric_limits<Int>::digits)) {
      return static_cast<Int>(d);
    }
    throw decodingError(path, "expected an integer");
  }
  throw decodingError(path, "expected an integer");
}

double decodeNumber(const Json& value, std::string_view path) {
  if (!value.is_number()) throw decodingError(path, "expected a number");
  // A value that is not finite could never be saved again (see allFinite in Date.h).
  const double number = value.get<double>();
  if (!std::isfinite(number)) throw decodingError(path, "expected a finite number");
  return number;
}

}  // namespace

template <>
bool decode<bool>(const Json& value, std::string_view path) {
  if (!value.is_boolean()) throw decodingError(path, "expected a boolean");
  return value.get<bool>();
}

template <>
std::string decode<std::string>(const Json& value, std::string_view path) {
  if (!value.is_string()) throw decodingError(path, "expected a string");
  return value.get<std::string>();
}

template <>
double decode<double>(const Json& value, std::string_view path) {
  return decodeNumber(value, path);
}

template <>
float decode<float>(const Json& value, std::string_view path) {
  // Doubles below this magnitude round to a finite float: the largest float's own shortest text
  // reads back as a double just above it, and must still load.
  constexpr double kFloatLimit = double(std::numeric_limits<float>::max()) + 0x1p103;
  const double number = decodeNumber(value, path);
  if (!(std::fabs(number) < kFloatLimit)) throw decodingError(path, "number out of range");
  return static_cast<float>(number);
}

template <>
int decode<int>(const Json& value, std::string_view path) {
  return decodeInteger<int>(value, path);
}

template <>
int64_t decode<int64_t>(const Json& value, std::string_view path) {
  return decodeInteger<int64_t>(value, path);
}

template <>
uint64_t decode<uint64_t>(const Json& value, std::string_view path) {
  return decodeInteger<uint64_t>(value, path);
}

template <>
uint32_t decode<uint32_t>(const Json& value, std::string_view path) {
  return decodeInteger<uint32_t>(value, path);
}

template <>
Date decode<Date>(const Json& value, std::string_view path) {
  return Date::fromReference(decodeNumber(value, path));
}

template <>
Uuid decode<Uuid>(const Json& value, std::string_view path) {
  auto id = Uuid::parse(decode<std::string>(value, path));
  if (!id) throw decodingError(path, "invalid UUID string");
  return *id;
}

template <>
Json decode<Json>(const Json& value, std::string_view) {
  return value;
}

}  // namespace qb::json
