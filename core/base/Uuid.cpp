#include "base/Uuid.h"

#include <random>

namespace qb {

Uuid Uuid::random() {
  // random_device reads the kernel's entropy source on Linux; identifiers must not repeat across
  // runs, so a seeded engine would not do.
  std::random_device device;
  Uuid id;
  for (size_t i = 0; i < id.bytes.size(); i += 4) {
    uint32_t word = device();
    for (size_t j = 0; j < 4; ++j) id.bytes[i + j] = static_cast<uint8_t>(word >> (8 * j));
  }
  id.bytes[6] = static_cast<uint8_t>((id.bytes[6] & 0x0F) | 0x40);  // version 4
  id.bytes[8] = static_cast<uint8_t>((id.bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  return id;
}

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isHyphenPosition(size_t i) { return i == 8 || i == 13 || i == 18 || i == 23; }

}  // namespace

std::optional<Uuid> Uuid::parse(std::string_view text) {
  if (text.size() != 36) return std::nullopt;
  Uuid id;
  size_t byte = 0;
  for (size_t i = 0; i < text.size();) {
    if (isHyphenPosition(i)) {
      if (text[i] != '-') return std::nullopt;
      ++i;
      continue;
    }
    int high = hexValue(text[i]);
    int low = hexValue(text[i + 1]);
    if (high < 0 || low < 0 || isHyphenPosition(i + 1)) return std::nullopt;
    id.bytes[byte++] = static_cast<uint8_t>(high * 16 + low);
    i += 2;
  }
  return id;
}

std::string Uuid::string() const {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(36);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0x0F];
  }
  return out;
}

}  // namespace qb

size_t std::hash<qb::Uuid>::operator()(const qb::Uuid& id) const noexcept {
  size_t h = 1469598103934665603ull;
  for (uint8_t b : id.bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}
