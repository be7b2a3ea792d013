#include "base/Base64.h"

#include <array>

namespace qb::base64 {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr uint8_t kInvalid = 0xFF;

constexpr std::array<uint8_t, 256> makeValues() {
  std::array<uint8_t, 256> values{};
  values.fill(kInvalid);
  for (uint8_t i = 0; i < 64; ++i) values[static_cast<uint8_t>(kAlphabet[i])] = i;
  return values;
}

constexpr std::array<uint8_t, 256> kValues = makeValues();

}  // namespace

std::string encode(std::span<const uint8_t> bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    uint32_t group = uint32_t{bytes[i]} << 16 | uint32_t{bytes[i + 1]} << 8 | bytes[i + 2];
    text += kAlphabet[group >> 18 & 63];
    text += kAlphabet[group >> 12 & 63];
    text += kAlphabet[group >> 6 & 63];
    text += kAlphabet[group & 63];
  }
  size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t group = uint32_t{bytes[i]} << 16 | (rest == 2 ? uint32_t{bytes[i + 1]} << 8 : 0);
    text += kAlphabet[group >> 18 & 63];
    text += kAlphabet[group >> 12 & 63];
    text += rest == 2 ? kAlphabet[group >> 6 & 63] : '=';
    text += '=';
  }
  return text;
}

std::optional<std::vector<uint8_t>> decode(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  // Only the final group may hold padding, and then only in its last one or two places.
  size_t padding = 0;
  if (!text.empty() && text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;

  std::vector<uint8_t> bytes;
  bytes.reserve(decodedSizeBound(text.size()) - padding);
  for (size_t i = 0; i < text.size(); i += 4) {
    bool last = i + 4 == text.size();
    size_t digits = last ? 4 - padding : 4;
    uint32_t group = 0;
    for (size_t k = 0; k < 4; ++k) {
      uint8_t value = 0;
      if (k < digits) {
        value = kValues[static_cast<uint8_t>(text[i + k])];
        if (value == kInvalid) return std::nullopt;  // also catches '=' before the padding
      }
      group = group << 6 | value;
    }
    bytes.push_back(static_cast<uint8_t>(group >> 16));
    if (digits > 2) bytes.push_back(static_cast<uint8_t>(group >> 8));
    if (digits > 3) bytes.push_back(static_cast<uint8_t>(group));
  }
  return bytes;
}

}  // namespace qb::base64
