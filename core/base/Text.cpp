#include "base/Text.h"

#include <unicode/brkiter.h>
#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/stringpiece.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "base/Error.h"
#include "base/Utf8Text.h"

namespace qb::text {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kMaxScalar = 0x10FFFF;
// Bytes checked per step of the ASCII fast path.
constexpr size_t kAsciiWord = sizeof(uint64_t);
constexpr uint64_t kHighBits = 0x8080808080808080ull;

// True when the eight bytes at p are all ASCII.
inline bool asciiWord(const unsigned char* p) {
  uint64_t word;
  std::memcpy(&word, p, kAsciiWord);
  return (word & kHighBits) == 0;
}

// Decodes the scalar at text[i] and advances i past it. An ill-formed sequence decodes as U+FFFD
// and i advances past its maximal subpart: the lead byte and every continuation byte that could
// still have begun a well-formed sequence (Unicode table 3-7), so the byte that broke the
// sequence starts the next one. This is the practice of ICU's converters and of browsers.
inline char32_t next(const unsigned char* text, size_t size, size_t& i, bool& wellFormed) {
  const unsigned char lead = text[i++];
  wellFormed = true;
  if (lead < 0x80) return lead;

  int trail;  // continuation bytes still needed
  char32_t scalar;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the first continuation byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    trail = 1;
    scalar = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail = 2;
    scalar = lead & 0x0F;
    if (lead == 0xE0)
      low = 0xA0;  // overlong below U+0800
    else if (lead == 0xED)
      high = 0x9F;  // surrogates U+D800..U+DFFF
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail = 3;
    scalar = lead & 0x07;
    if (lead == 0xF0)
      low = 0x90;  // overlong below U+10000
    else if (lead == 0xF4)
      high = 0x8F;  // above U+10FFFF
  } else {
    // A stray continuation byte, C0/C1 (always overlong) or F5..FF (beyond Unicode).
    wellFormed = false;
    return kReplacement;
  }

  for (int k = 0; k < trail; ++k) {
    if (i >= size || text[i] < low || text[i] > high) {
      wellFormed = false;
      return kReplacement;
    }
    scalar = (scalar << 6) | (text[i++] & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return scalar;
}

inline bool isScalarValue(char32_t c) { return c <= kMaxScalar && (c < 0xD800 || c > 0xDFFF); }

}  // namespace

// --- Encoding ---

bool isValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  size_t i = 0;
  while (i < size) {
    if (i + kAsciiWord <= size && asciiWord(p + i)) {
      i += kAsciiWord;
      continue;
    }
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    bool wellFormed;
    next(p, size, i, wellFormed);
    if (!wellFormed) return false;
  }
  return true;
}

std::string repairUtf8(std::string_view text) {
  if (isValidUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  size_t i = 0;
  while (i < size) {
    const size_t start = i;
    bool wellFormed;
    next(p, size, i, wellFormed);
    if (wellFormed) {
      out.append(text.data() + start, i - start);
    } else {
      append(out, kReplacement);
    }
  }
  return out;
}

std::u32string decode(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  size_t i = 0;
  bool wellFormed;
  while (i < size) out.push_back(next(p, size, i, wellFormed));
  return out;
}

std::string encode(std::u32string_view scalars) {
  std::string out;
  out.reserve(scalars.size());
  for (char32_t c : scalars) append(out, c);
  return out;
}

void append(std::string& out, char32_t c) {
  if (!isScalarValue(c)) c = kReplacement;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// --- ICU plumbing ---

namespace {

void check(UErrorCode status, const char* what) {
  if (U_FAILURE(status)) {
    throw Error(kErrorDomain, kLibraryCode, std::string(what) + ": " + u_errorName(status));
  }
}

void checkLength(std::string_view text) {
  if (text.size() > kMaxLength) {
    throw Error(kErrorDomain, kTooLongCode,
                "text of " + std::to_string(text.size()) + " bytes is too long for ICU");
  }
}

bool isAscii(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  size_t i = 0;
  for (; i + kAsciiWord <= size; i += kAsciiWord) {
    if (!asciiWord(p + i)) return false;
  }
  for (; i < size; ++i) {
    if (p[i] >= 0x80) return false;
  }
  return true;
}

// Holds text known to be valid UTF-8: a view of the caller's text when it already was, else a
// repaired copy. Keeps the common valid case free of copies.
class Repaired {
public:
  explicit Repaired(std::string_view text) {
    if (isValidUtf8(text)) {
      view_ = text;
    } else {
      copy_ = repairUtf8(text);
      view_ = copy_;
    }
  }
  Repaired(const Repaired&) = delete;
  Repaired& operator=(const Repaired&) = delete;

  std::string_view view() const { return view_; }

private:
  std::string copy_;
  std::string_view view_;
};

icu::StringPiece piece(std::string_view text) {
  checkLength(text);
  return icu::StringPiece(text.data(), static_cast<int32_t>(text.size()));
}

// Creating a break iterator loads and compiles rules, far more work than iterating a title, so
// each thread keeps one. An iterator is not thread-safe, hence one per thread rather than a
// shared one.
icu::BreakIterator& characterBreaks() {
  thread_local const std::unique_ptr<icu::BreakIterator> iterator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> created(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    check(status, "creating the character break iterator");
    return created;
  }();
  return *iterator;
}

// Calls visit(begin, end) with the byte range of each user-perceived character of valid UTF-8
// text, in order, until visit answers false. visit must not itself iterate characters: the
// thread's iterator is in use.
template <class Visit>
void forEachCharacterRange(std::string_view valid, Visit visit) {
  if (valid.empty()) return;
  // ASCII holds no extending marks, joiners or regional indicators, so every byte is a character
  // of its own except a carriage return followed by a line feed: most titles never reach ICU.
  if (std::all_of(valid.begin(), valid.end(), [](char c) { return (c & 0x80) == 0; })) {
    for (size_t begin = 0; begin < valid.size();) {
      bool crlf = valid[begin] == '\r' && begin + 1 < valid.size() && valid[begin + 1] == '\n';
      size_t end = begin + (crlf ? 2 : 1);
      if (!visit(begin, end)) return;
      begin = end;
    }
    return;
  }
  checkLength(valid);
  UErrorCode status = U_ZERO_ERROR;
  Utf8Text text(valid, status);
  check(status, "opening UTF-8 text");
  icu::BreakIterator& breaks = characterBreaks();
  breaks.setText(text.get(), status);
  check(status, "setting the text of the character break iterator");
  int32_t begin = breaks.first();
  for (int32_t end = breaks.next(); end != icu::BreakIterator::DONE; end = breaks.next()) {
    if (!visit(static_cast<size_t>(begin), static_cast<size_t>(end))) break;
    begin = end;
  }
}

// The first scalar of a text, or nothing for the empty text.
bool firstScalar(std::string_view text, char32_t& scalar) {
  if (text.empty()) return false;
  size_t i = 0;
  bool wellFormed;
  scalar = next(reinterpret_cast<const unsigned char*>(text.data()), text.size(), i, wellFormed);
  return true;
}

enum class Form { nfd, nfc };

std::string normalized(std::string_view text, Form form) {
  if (isAscii(text)) return std::string(text);  // ASCII is in every normalisation form
  Repaired valid(text);
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* normalizer = form == Form::nfd ? icu::Normalizer2::getNFDInstance(status)
                                                         : icu::Normalizer2::getNFCInstance(status);
  check(status, "loading normalisation data");
  const icu::StringPiece source = piece(valid.view());
  if (normalizer->isNormalizedUTF8(source, status) && U_SUCCESS(status)) {
    return std::string(valid.view());
  }
  status = U_ZERO_ERROR;
  std::string out;
  out.reserve(valid.view().size() + valid.view().size() / 4);
  icu::StringByteSink<std::string> sink(&out);
  normalizer->normalizeUTF8(0, source, sink, nullptr, status);
  check(status, "normalising text");
  return out;
}

}  // namespace

// --- Scalars and characters ---

size_t scalarCount(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  size_t count = 0;
  size_t i = 0;
  bool wellFormed;
  while (i < size) {
    if (p[i] < 0x80) {
      ++i;
    } else {
      next(p, size, i, wellFormed);
    }
    ++count;
  }
  return count;
}

std::string scalarPrefix(std::string_view text, size_t n) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  size_t i = 0;
  bool allWellFormed = true;
  for (size_t k = 0; k < n && i < size; ++k) {
    bool wellFormed;
    next(p, size, i, wellFormed);
    allWellFormed = allWellFormed && wellFormed;
  }
  // i ends on a sequence boundary, so repairing the prefix alone repairs it exactly as repairing
  // the whole text would.
  const std::string_view prefix = text.substr(0, i);
  return allWellFormed ? std::string(prefix) : repairUtf8(prefix);
}

size_t characterCount(std::string_view text) {
  Repaired valid(text);
  size_t count = 0;
  forEachCharacterRange(valid.view(), [&](size_t, size_t) {
    ++count;
    return true;
  });
  return count;
}

std::string characterPrefix(std::string_view text, size_t n) {
  if (n == 0) return {};
  Repaired valid(text);
  size_t end = 0;
  size_t count = 0;
  forEachCharacterRange(valid.view(), [&](size_t, size_t characterEnd) {
    end = characterEnd;
    return ++count < n;
  });
  return std::string(valid.view().substr(0, end));
}

void visitCharacters(std::string_view text, bool (*visit)(void*, std::string_view), void* context) {
  Repaired valid(text);
  forEachCharacterRange(valid.view(), [&](size_t begin, size_t end) {
    return visit(context, valid.view().substr(begin, end - begin));
  });
}

std::vector<std::string> characters(std::string_view text) {
  Repaired valid(text);
  std::vector<std::string> out;
  forEachCharacterRange(valid.view(), [&](size_t begin, size_t end) {
    out.emplace_back(valid.view().substr(begin, end - begin));
    return true;
  });
  return out;
}

// --- Properties of one scalar ---

bool isControl(char32_t c) { return u_charType(static_cast<UChar32>(c)) == U_CONTROL_CHAR; }

bool isLetter(char32_t c) { return (U_GET_GC_MASK(static_cast<UChar32>(c)) & U_GC_L_MASK) != 0; }

bool isUppercaseLetter(char32_t c) {
  return u_charType(static_cast<UChar32>(c)) == U_UPPERCASE_LETTER;
}

bool isNumeric(char32_t c) {
  return u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_NUMERIC_TYPE) != U_NT_NONE;
}

bool isWhitespace(char32_t c) {
  return u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_WHITE_SPACE);
}

bool isLetter(std::string_view character) {
  char32_t c;
  return firstScalar(character, c) && isLetter(c);
}

bool isUppercaseLetter(std::string_view character) {
  char32_t c;
  return firstScalar(character, c) && isUppercaseLetter(c);
}

bool isNumeric(std::string_view character) {
  char32_t c;
  return firstScalar(character, c) && isNumeric(c);
}

// --- Whole-text transforms ---

std::string lowercased(std::string_view text) {
  if (isAscii(text)) {
    std::string out(text);
    for (char& c : out) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
  }
  Repaired valid(text);
  std::string out;
  out.reserve(valid.view().size());
  icu::StringByteSink<std::string> sink(&out);
  UErrorCode status = U_ZERO_ERROR;
  // "" is the root locale; a null locale would mean the process's default, and a Turkish or
  // Lithuanian default would change the mapping of I and dotted letters.
  icu::CaseMap::utf8ToLower("", 0, piece(valid.view()), sink, nullptr, status);
  check(status, "lower-casing text");
  return out;
}

std::string trimmed(std::string_view text) {
  Repaired valid(text);
  const std::string_view v = valid.view();
  const auto* p = reinterpret_cast<const unsigned char*>(v.data());
  size_t begin = 0;
  while (begin < v.size()) {
    size_t i = begin;
    bool wellFormed;
    if (!isWhitespace(next(p, v.size(), i, wellFormed))) break;
    begin = i;
  }
  size_t end = v.size();
  while (end > begin) {
    size_t start = end - 1;
    while (start > begin && (p[start] & 0xC0) == 0x80) --start;  // back to the lead byte
    size_t i = start;
    bool wellFormed;
    if (!isWhitespace(next(p, v.size(), i, wellFormed))) break;
    end = start;
  }
  return std::string(v.substr(begin, end - begin));
}

std::string nfd(std::string_view text) { return normalized(text, Form::nfd); }

std::string nfc(std::string_view text) { return normalized(text, Form::nfc); }

bool canonicallyEqual(std::string_view a, std::string_view b) { return a == b || nfd(a) == nfd(b); }

}  // namespace qb::text
