#include "analysis/Tokenizer.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "base/Error.h"
#include "base/File.h"
#include "base/Log.h"
#include "base/Text.h"

namespace qb {

namespace {

// --- Unicode classes ---

// ICU keeps the instance for the life of the process; after the first call, getting it is one
// atomic load.
const icu::Normalizer2& nfdNormalizer() {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* normalizer = icu::Normalizer2::getNFDInstance(status);
  if (U_FAILURE(status)) {
    throw Error(text::kErrorDomain, text::kLibraryCode,
                std::string("loading normalisation data: ") + u_errorName(status));
  }
  return *normalizer;
}

inline bool isCjkIdeograph(char32_t c) {
  return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x20000 && c <= 0x2A6DF) || (c >= 0x2A700 && c <= 0x2CEAF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x2F800 && c <= 0x2FA1F);
}

inline bool isWhiteSpace(char32_t c) {
  if (c < 0x80) return c == ' ' || (c >= 0x09 && c <= 0x0D);  // White_Space in ASCII
  return u_isUWhiteSpace(static_cast<UChar32>(c));
}

inline bool isPunctuation(char32_t c) {
  if (c < 0x80) {
    return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
           (c >= 0x7B && c <= 0x7E);
  }
  constexpr uint32_t kMask = U_GC_PC_MASK | U_GC_PD_MASK | U_GC_PS_MASK | U_GC_PE_MASK |
                             U_GC_PI_MASK | U_GC_PF_MASK | U_GC_PO_MASK;
  return (U_GET_GC_MASK(static_cast<UChar32>(c)) & kMask) != 0;
}

// First pass of normalisation: what one scalar of the text becomes, appended as UTF-16 (what
// ICU's normaliser reads).
void firstPass(char32_t c, std::u16string& out) {
  if (c < 0x80) {
    if (c == 0x09 || c == 0x0A || c == 0x0D) {
      out.push_back(u' ');
    } else if (c >= 0x20 && c != 0x7F) {
      out.push_back(static_cast<char16_t>(c));
    }
    // U+0000 and every other ASCII control (Cc) is dropped; ASCII has no other White_Space.
    return;
  }
  if (c == 0xFFFD) return;
  const auto scalar = static_cast<UChar32>(c);
  constexpr uint32_t kDropped =
      U_GC_CC_MASK | U_GC_CF_MASK | U_GC_CS_MASK | U_GC_CO_MASK | U_GC_CN_MASK;
  if ((U_GET_GC_MASK(scalar) & kDropped) != 0) return;
  auto append = [&out](char32_t x) {
    if (x < 0x10000) {
      out.push_back(static_cast<char16_t>(x));
    } else {
      out.push_back(static_cast<char16_t>(U16_LEAD(x)));
      out.push_back(static_cast<char16_t>(U16_TRAIL(x)));
    }
  };
  if (u_isUWhiteSpace(scalar)) {
    out.push_back(u' ');
  } else if (isCjkIdeograph(c)) {
    out.push_back(u' ');
    append(c);
    out.push_back(u' ');
  } else {
    append(c);
  }
}

// Second pass: nonspacing marks are dropped, everything else is replaced by its full lower-case
// mapping (context-free, root locale).
void secondPass(UChar32 c, std::u32string& out) {
  if (c < 0x80) {
    out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char32_t>(c - 'A' + 'a')
                                       : static_cast<char32_t>(c));
    return;
  }
  if (u_charType(c) == U_NON_SPACING_MARK) return;
  // Every scalar here is stable under NFD, so Changes_When_Lowercased says exactly whether its
  // full lower-case mapping differs from it.
  if (!u_hasBinaryProperty(c, UCHAR_CHANGES_WHEN_LOWERCASED)) {
    out.push_back(static_cast<char32_t>(c));
    return;
  }
  char16_t source[U16_MAX_LENGTH];
  int32_t sourceLength = 0;
  U16_APPEND_UNSAFE(source, sourceLength, c);
  char16_t lower[16];
  UErrorCode status = U_ZERO_ERROR;
  // One scalar alone: no context (a capital sigma maps to σ), and "" is the root locale.
  const int32_t length = u_strToLower(lower, 16, source, sourceLength, "", &status);
  if (U_FAILURE(status)) {  // cannot happen: full mappings are at most 3 scalars
    out.push_back(static_cast<char32_t>(c));
    return;
  }
  for (int32_t i = 0; i < length;) {
    UChar32 m;
    U16_NEXT(lower, i, length, m);
    out.push_back(static_cast<char32_t>(m));
  }
}

// The text's cleaned, decomposed, mark-free, lower-cased scalars.
std::u32string normalize(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  // ASCII is its own NFD and has no marks: both passes in one.
  bool ascii = true;
  for (unsigned char b : text) {
    if (b >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) {
    for (unsigned char b : text) {
      if (b == 0x09 || b == 0x0A || b == 0x0D) {
        out.push_back(U' ');
      } else if (b >= 'A' && b <= 'Z') {
        out.push_back(static_cast<char32_t>(b - 'A' + 'a'));
      } else if (b >= 0x20 && b != 0x7F) {
        out.push_back(b);
      }
    }
    return out;
  }

  std::u16string first;
  first.reserve(text.size() + 16);
  for (char32_t c : text::decode(text)) firstPass(c, first);
  if (first.size() > static_cast<size_t>(INT32_MAX)) {
    throw Error(text::kErrorDomain, text::kTooLongCode, "text is too long for ICU");
  }

  const icu::Normalizer2& nfd = nfdNormalizer();
  UErrorCode status = U_ZERO_ERROR;
  // A read-only alias: no copy unless the text needs decomposing.
  const icu::UnicodeString alias(false, first.data(), static_cast<int32_t>(first.size()));
  icu::UnicodeString decomposed;
  const char16_t* units = first.data();
  int32_t length = static_cast<int32_t>(first.size());
  if (nfd.quickCheck(alias, status) != UNORM_YES || U_FAILURE(status)) {
    status = U_ZERO_ERROR;
    nfd.normalize(alias, decomposed, status);
    if (U_FAILURE(status)) {
      throw Error(text::kErrorDomain, text::kLibraryCode,
                  std::string("normalising text: ") + u_errorName(status));
    }
    units = decomposed.getBuffer();
    length = decomposed.length();
  }
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U16_NEXT(units, i, length, c);
    secondPass(c, out);
  }
  return out;
}

// True when the scalars are in NFD: each has NFD_Quick_Check=Yes (for NFD the quick check is
// never Maybe) and the combining classes are in canonical order.
bool isNfd(std::u32string_view scalars) {
  uint8_t previous = 0;
  for (char32_t c : scalars) {
    if (c < 0xC0) {  // nothing below U+00C0 decomposes or combines
      previous = 0;
      continue;
    }
    const auto scalar = static_cast<UChar32>(c);
    if (u_getIntPropertyValue(scalar, UCHAR_NFD_QUICK_CHECK) != UNORM_YES) return false;
    const uint8_t ccc = u_getCombiningClass(scalar);
    if (ccc != 0 && previous > ccc) return false;
    previous = ccc;
  }
  return true;
}

// FNV-1a over the bytes, then a finaliser that spreads the low bits (the table's index) and the
// high ones (the tag). FNV-1a runs byte by byte, so the hashes of all prefixes of a text come in
// one pass: encode() hashes a start's candidates, which are prefixes of one another, that way.
constexpr uint64_t kFnvBasis = 0xCBF29CE484222325ull;
constexpr uint64_t kFnvPrime = 0x100000001B3ull;
inline uint64_t fnvStep(uint64_t h, char byte) {
  return (h ^ static_cast<unsigned char>(byte)) * kFnvPrime;
}
inline uint64_t finish(uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  return h ^ (h >> 33);
}

// Writes the UTF-8 of a scalar (which normalisation never leaves a surrogate) and gives its
// length.
inline size_t utf8(char32_t c, char* out) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

}  // namespace

// --- Loading ---

WordPiece::WordPiece(const std::filesystem::path& file) {
  *this = parse(qb::file::read(file, kMaxFileBytes), file);
}

WordPiece WordPiece::parse(std::string_view text, const std::filesystem::path& path) {
  if (text.size() > kMaxFileBytes) {
    throw Error::fileReadCorrupt(path.string() + ": vocabulary of " + std::to_string(text.size()) +
                                 " bytes is larger than " + std::to_string(kMaxFileBytes));
  }
  if (!text::isValidUtf8(text)) {
    throw Error(Error::kFileDomain, file::kInapplicableEncodingCode,
                "The file " + path.string() + " couldn't be read: it isn't valid UTF-8");
  }
  size_t lines = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) ++lines;
  }
  // Every line number, and every offset into the key pool, fits in 32 bits.
  static_assert(kMaxFileBytes < INT32_MAX);

  WordPiece result;
  size_t capacity = 16;
  while (capacity < 2 * lines + 1) capacity *= 2;
  result.slots_.resize(capacity);
  result.keys_.reserve(text.size());
  size_t begin = 0;
  int32_t number = 0;
  size_t duplicates = 0;
  int32_t firstDuplicate = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool end = i == text.size() || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'));
    if (!end) continue;
    const std::string_view line = text.substr(begin, i - begin);
    // The key is the line's NFD form: equal keys are exactly canonically equivalent lines. Most
    // lines are ASCII, their own NFD.
    if (!line.empty()) {
      bool ascii = true;
      for (char c : line) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
      const bool added =
          ascii ? result.insert(line, number) : result.insert(text::nfd(line), number);
      if (!added && duplicates++ == 0) firstDuplicate = number;
    }
    begin = i + 1;
    ++number;
  }

  auto special = [&](std::string_view token) {
    const int32_t* id = result.find(token);
    if (!id) {
      throw Error::fileReadCorrupt(path.string() + ": the vocabulary has no " + std::string(token));
    }
    return *id;
  };
  if (result.count_ == 0) throw Error::fileReadCorrupt(path.string() + ": empty vocabulary");
  result.cls_ = special("[CLS]");
  result.sep_ = special("[SEP]");
  result.unk_ = special("[UNK]");
  if (duplicates > 0) {
    // A skipped line's id is never given, so a model trained with both lines only ever sees the
    // first: a mended vocabulary is said to be one.
    log::info(path.string() + ": " + std::to_string(duplicates) +
              " lines repeat an earlier token and are skipped, the first on line " +
              std::to_string(firstDuplicate + 1));
  }
  return result;
}

// --- Look-up ---

uint64_t WordPiece::hash(std::string_view key) {
  uint64_t h = kFnvBasis;
  for (char byte : key) h = fnvStep(h, byte);
  return finish(h);
}

bool WordPiece::insert(std::string_view nfdKey, int32_t id) {
  const uint64_t h = hash(nfdKey);
  const size_t mask = slots_.size() - 1;
  for (size_t i = h & mask;; i = (i + 1) & mask) {
    Slot& slot = slots_[i];
    if (slot.id < 0) {
      slot = Slot{static_cast<uint32_t>(h >> 32), id, static_cast<uint32_t>(keys_.size()),
                  static_cast<uint32_t>(nfdKey.size())};
      keys_.append(nfdKey);
      ++count_;
      largestId_ = std::max(largestId_, id);
      longestKey_ = std::max(longestKey_, nfdKey.size());
      return true;
    }
    if (slot.tag == static_cast<uint32_t>(h >> 32) &&
        std::string_view(keys_).substr(slot.offset, slot.length) == nfdKey) {
      return false;
    }
  }
}

const int32_t* WordPiece::find(std::string_view nfdKey) const {
  if (nfdKey.size() > longestKey_) return nullptr;
  return find(nfdKey, hash(nfdKey));
}

const int32_t* WordPiece::find(std::string_view nfdKey, uint64_t h) const {
  const auto tag = static_cast<uint32_t>(h >> 32);
  const size_t mask = slots_.size() - 1;
  for (size_t i = h & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.id < 0) return nullptr;
    if (slot.tag == tag && slot.length == nfdKey.size() &&
        std::memcmp(keys_.data() + slot.offset, nfdKey.data(), nfdKey.size()) == 0) {
      return &slot.id;
    }
  }
}

std::optional<int32_t> WordPiece::id(std::string_view token) const {
  const int32_t* found = find(text::nfd(token));
  if (!found) return std::nullopt;
  return *found;
}

// --- Encoding ---

void WordPiece::appendPieces(std::u32string_view word, std::vector<int32_t>& ids) const {
  const size_t n = word.size();
  if (n > kMaxWordScalars) {
    ids.push_back(unk_);
    return;
  }
  // The word's UTF-8 once, after room for "##", with the byte offset of each scalar: a run of
  // scalars is a run of bytes, so every candidate is a view into this buffer and none needs a
  // string of its own. For a start after 0, "##" is written just before the run.
  constexpr size_t kPrefix = 2;
  char buffer[kPrefix + 4 * kMaxWordScalars];
  uint32_t offsets[kMaxWordScalars + 1];
  uint64_t prefixHashes[kPrefix + 4 * kMaxWordScalars + 1];
  size_t size = kPrefix;
  for (size_t k = 0; k < n; ++k) {
    offsets[k] = static_cast<uint32_t>(size);
    size += utf8(word[k], buffer + size);
  }
  offsets[n] = static_cast<uint32_t>(size);
  const bool nfd = isNfd(word);

  const size_t mark = ids.size();
  size_t start = 0;
  while (start < n) {
    // The candidates from this start are the prefixes of `whole`, longest first.
    size_t from = offsets[start];
    if (start > 0) {
      from -= kPrefix;
      buffer[from] = '#';
      buffer[from + 1] = '#';
    }
    const std::string_view whole(buffer + from, size - from);
    const size_t skip = offsets[start] - from;  // 0, or 2 for "##"
    const int32_t* found = nullptr;
    size_t end = n;
    if (nfd) {
      // Hashes of every prefix up to the longest key, in one pass.
      const size_t reach = std::min(whole.size(), longestKey_);
      uint64_t h = kFnvBasis;
      for (size_t k = 0; k < reach; ++k) {
        h = fnvStep(h, whole[k]);
        prefixHashes[k + 1] = h;
      }
      for (; end > start; --end) {
        const size_t length = skip + offsets[end] - offsets[start];
        if (length > reach) continue;
        found = find(whole.substr(0, length), finish(prefixHashes[length]));
        if (found) break;
      }
    } else {
      for (; end > start; --end) {
        found = find(text::nfd(whole.substr(0, skip + offsets[end] - offsets[start])));
        if (found) break;
      }
    }
    if (!found) {
      ids.resize(mark);
      ids.push_back(unk_);
      return;
    }
    ids.push_back(*found);
    start = end;
  }
}

std::vector<int32_t> WordPiece::encode(std::string_view text, int64_t maxLength) const {
  const auto limit = static_cast<size_t>(std::max<int64_t>(maxLength, 1) - 1);
  const std::u32string scalars = normalize(text);

  std::vector<int32_t> ids;
  ids.reserve(std::min(limit, scalars.size() + 1) + 1);
  ids.push_back(cls_);

  bool first = true;
  // Processes one word; false when encoding must stop before it.
  auto word = [&](size_t begin, size_t end) {
    if (!first && ids.size() >= limit) return false;
    first = false;
    appendPieces(std::u32string_view(scalars).substr(begin, end - begin), ids);
    return true;
  };

  size_t begin = 0;
  bool stopped = false;
  for (size_t i = 0; i < scalars.size() && !stopped; ++i) {
    const char32_t c = scalars[i];
    if (isWhiteSpace(c)) {
      if (i > begin) stopped = !word(begin, i);
      begin = i + 1;
    } else if (isPunctuation(c)) {
      if (i > begin) stopped = !word(begin, i);
      if (!stopped) stopped = !word(i, i + 1);
      begin = i + 1;
    }
  }
  if (!stopped && scalars.size() > begin) word(begin, scalars.size());

  if (ids.size() > limit) ids.resize(limit);
  ids.push_back(sep_);
  return ids;
}

}  // namespace qb
