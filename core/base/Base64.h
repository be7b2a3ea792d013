// Base64: the standard alphabet (RFC 4648 section 4) with padding.
//
// The encoder always pads. The decoder is strict, so that text the program did not write in this
// form is refused rather than guessed at: it takes the 64 alphabet characters in groups of four,
// the last group padded with one or two '=' when it carries fewer than three bytes, and rejects
// whitespace and line breaks, a length that is not a multiple of four (that is, missing padding),
// '=' anywhere but the end, and characters of the URL-safe alphabet. Bits below the last byte of a
// padded group are ignored rather than rejected: they carry no data, and encoders differ in
// whether they clear them.

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qb::base64 {

std::string encode(std::span<const uint8_t> bytes);

// The bytes, or nothing when text is not well-formed Base64.
std::optional<std::vector<uint8_t>> decode(std::string_view text);

// The most bytes that text of this length can decode to; lets a caller refuse oversized input
// before decoding it.
constexpr size_t decodedSizeBound(size_t textLength) { return textLength / 4 * 3; }

}  // namespace qb::base64
