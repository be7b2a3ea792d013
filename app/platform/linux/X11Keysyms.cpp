#include "platform/linux/X11Keysyms.h"

// Xlib's macros would break Qt's headers: X11 comes last.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace qb::x11 {

namespace {

// Characters from U+0100 on have keysyms of their own: this offset plus the code point.
constexpr unsigned long kUnicodeKeysymOffset = 0x1000000;
constexpr char32_t kLatin1End = 0x100;

}  // namespace

std::optional<std::u32string> codePoints(std::string_view text) {
  std::u32string out;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = lead < 0x80           ? 1
                       : (lead >> 5) == 0x6  ? 2
                       : (lead >> 4) == 0xE  ? 3
                       : (lead >> 3) == 0x1E ? 4
                                             : 0;
    if (length == 0 || i + length > text.size()) return std::nullopt;
    char32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      point = (point << 6) | (next & 0x3F);
    }
    const bool overlong = (length == 2 && point < 0x80) || (length == 3 && point < 0x800) ||
                          (length == 4 && point < 0x10000);
    if (overlong || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return std::nullopt;
    out.push_back(point);
    i += static_cast<size_t>(length);
  }
  return out;
}

unsigned long keysymOfCharacter(char32_t point) {
  if (point == U'\n') return XK_Return;
  if (point == U'\t') return XK_Tab;
  // Latin-1's printable characters are their own keysyms.
  if ((point >= 0x20 && point < 0x7F) || (point >= 0xA0 && point < kLatin1End)) return point;
  return kUnicodeKeysymOffset + point;
}

unsigned long keysymOfKey(const std::string& key) {
  const auto points = codePoints(key);
  if (points && points->size() == 1) return keysymOfCharacter(points->front());
  return XStringToKeysym(key.c_str());
}

}  // namespace qb::x11
