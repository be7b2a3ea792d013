// Unicode text on ICU. Text is UTF-8 in std::string everywhere in Quillbrook.
//
// Text that comes from other programs may be any byte sequence: repairUtf8() replaces every
// ill-formed sequence with U+FFFD (one per maximal ill-formed subpart, as ICU and browsers do), and
// every other function here first treats its input as if it had been repaired, so none of them
// fails, crashes or loops on bad input.
//
// "Characters" are user-perceived characters (extended grapheme clusters); "scalars" are Unicode
// code points. All functions are pure and safe to call from any thread.
//
// The functions backed by ICU (characters, case mapping, normalisation) work within ICU's 32-bit
// lengths: for text longer than kMaxLength bytes once repaired they throw qb::Error (domain
// kErrorDomain, code kTooLongCode), as they do (code kLibraryCode) if ICU itself fails, which only
// happens when its data is missing or memory runs out. No content of a text makes anything fail.

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace qb::text {

inline constexpr const char* kErrorDomain = "qb.text";
inline constexpr long kTooLongCode = 1;
inline constexpr long kLibraryCode = 2;
inline constexpr size_t kMaxLength = INT32_MAX;

// --- Encoding ---

bool isValidUtf8(std::string_view text);
// The text with every ill-formed sequence replaced by U+FFFD; valid text is returned unchanged.
std::string repairUtf8(std::string_view text);

// The scalars of the text (ill-formed sequences decode as U+FFFD).
std::u32string decode(std::string_view text);
// UTF-8 of the scalars; surrogates and values above U+10FFFF are written as U+FFFD.
std::string encode(std::u32string_view scalars);
void append(std::string& out, char32_t scalar);

// --- Scalars and characters ---

size_t scalarCount(std::string_view text);
// The first n scalars (all of them when there are fewer), as valid UTF-8.
std::string scalarPrefix(std::string_view text, size_t n);

size_t characterCount(std::string_view text);
// The first n user-perceived characters (all of them when there are fewer), as valid UTF-8.
std::string characterPrefix(std::string_view text, size_t n);
// The user-perceived characters of the text, in order, each as valid UTF-8.
std::vector<std::string> characters(std::string_view text);

// Calls visit(character) with each user-perceived character of the text, in order, as valid UTF-8
// in a view that lasts for the call; a visit that answers false stops the walk. Nothing is
// allocated per character, which is what hot paths want of characters(). visit must not itself
// walk characters on this thread: the thread's break iterator is in use.
void visitCharacters(std::string_view text, bool (*visit)(void*, std::string_view), void* context);
template <class Visit>
void forEachCharacter(std::string_view text, Visit visit) {
  visitCharacters(
      text,
      [](void* context, std::string_view character) {
        auto& f = *static_cast<Visit*>(context);
        if constexpr (std::is_void_v<decltype(f(character))>) {
          f(character);
          return true;
        } else {
          return static_cast<bool>(f(character));
        }
      },
      &visit);
}

// --- Properties of one scalar ---

bool isControl(char32_t c);          // general category Cc
bool isLetter(char32_t c);           // general category L*
bool isUppercaseLetter(char32_t c);  // general category Lu
bool isNumeric(char32_t c);     // Numeric_Type is not None (digits, fractions, roman numerals...)
bool isWhitespace(char32_t c);  // the White_Space property

// Properties of a user-perceived character: those of its first scalar.
bool isLetter(std::string_view character);
bool isUppercaseLetter(std::string_view character);
bool isNumeric(std::string_view character);

// --- Whole-text transforms ---

// Full lower-case mapping (root locale): "ẞ" becomes "ß", "İ" becomes "i̇".
std::string lowercased(std::string_view text);
// Without White_Space scalars at either end.
std::string trimmed(std::string_view text);
// Canonical decomposition (NFD) and composition (NFC).
std::string nfd(std::string_view text);
std::string nfc(std::string_view text);
// True when both texts are canonically equivalent ("é" precomposed equals "e" + U+0301).
bool canonicallyEqual(std::string_view a, std::string_view b);

}  // namespace qb::text
