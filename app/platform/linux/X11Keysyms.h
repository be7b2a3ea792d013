// The X keysyms of the keys the program names: a key name ("Return", "Escape") or one character.
// Shared by what posts keys and what grabs them, so that both mean the same key by one name.

#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qb::x11 {

// The code points of UTF-8 text; none for bytes that are not UTF-8.
std::optional<std::u32string> codePoints(std::string_view text);
// The keysym that types a character.
unsigned long keysymOfCharacter(char32_t point);
// The keysym of a key named as KeyChord names it: one character, or an X key name; NoSymbol (0)
// for a name X does not know.
unsigned long keysymOfKey(const std::string& key);

}  // namespace qb::x11
