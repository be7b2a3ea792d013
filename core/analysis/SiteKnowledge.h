// SiteKnowledge: the shipped table of known sites and desktop programs and how each one leans.
//
// The table is the file Knowledge/sites.tsv of the model folder: UTF-8 text, one row a line (any
// line terminator: LF, CR, CRLF, U+0085, U+2028, U+2029), fields split at every TAB:
//
//   key <TAB> lean <TAB> confidence <TAB> what [<TAB> sections]
//
// key is a site's domain without its www label, or a program's name, lower-cased when read; lean
// is exactly "work", "leisure", "mixed" or "neutral"; confidence is read as strtof reads it in the
// C locale, whole field, no leading white space, and must be finite, else it is
// kDefaultConfidence; what is a free note. Sections are "prefix=lean" items split at ";", which
// give parts of a site's address space their own lean ("/r/programming=work"). A line with fewer
// than four fields or without a lean word in field 2 is skipped, which is how comments and headers
// are written. A later row with the same key replaces the entry; it replaces the sections only when
// it brings at least one usable item.
//
// Confidences are kept as written when they are finite, negative or above 1 included: the head
// uses them as a linear feature, so an out-of-range value only weighs more or less, and the table
// is ours to keep in range (a test checks the shipped one). Only non-finite values, which would
// turn every score of the site into NaN, fall back to kDefaultConfidence.
//
// Parsing never fails on content; what it mends or leaves out of a row it keeps (ill-formed UTF-8,
// a confidence that does not read, an unusable section item) is logged once per table. Loading a
// file fails only when it cannot be read or is not UTF-8: both throw qb::Error in the file domain
// (see qb::file::readText), never code 259.
//
// An immutable value: lookup() may run on any thread at once.

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/Moment.h"

namespace qb {

class SiteKnowledge {
public:
  enum class Lean { work, leisure, mixed, neutral };

  // A row that names no confidence, or a confidence that does not read as a finite number.
  static constexpr float kDefaultConfidence = 0.6f;

  struct Entry {
    Lean lean = Lean::neutral;
    float confidence = kDefaultConfidence;  // normally 0 to 1
    std::string what;                       // a short note on the site
    friend bool operator==(const Entry&, const Entry&) = default;
  };

  // A part of a site's address space with its own lean. prefix is lower-cased, begins with "/" to
  // be of any use, and has no trailing "/".
  struct Section {
    std::string prefix;
    Lean lean = Lean::neutral;
    friend bool operator==(const Section&, const Section&) = default;
  };

  // Lets the maps be searched with a string_view into a host without building a string.
  struct KeyHash {
    using is_transparent = void;
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
  };
  template <typename T>
  using Map = std::unordered_map<std::string, T, KeyHash, std::equal_to<>>;

  // The empty table: every lookup is absent.
  SiteKnowledge() = default;

  // Reads the file whole as UTF-8 and parses it. Throws qb::Error (file domain) when it cannot be
  // read or is not valid UTF-8.
  static SiteKnowledge load(const std::filesystem::path& contentsOf);
  // Parses the table's text; never fails on content (ill-formed UTF-8 is repaired first). Throws
  // qb::Error (knowledge::kErrorDomain, kNoCLocaleCode) only when the C locale that reads the
  // confidences cannot be made, which takes memory running out.
  static SiteKnowledge parse(std::string_view tsv);

  // The entry that applies to the observation, with a matching section's lean; absent when the
  // site (or, without a host, the application) is not listed. The most specific listed domain
  // wins (docs.example.org before example.org; the last label alone is never tried); within it the
  // longest section prefix that equals the lower-cased path or ends at one of its "/" wins.
  std::optional<Entry> lookup(const Moment& moment) const;

  // By key: lower-cased domain or program name.
  const Map<Entry>& entries() const { return entries_; }
  // By the same keys; each list longest prefix first, equal lengths in file order.
  const Map<std::vector<Section>>& sections() const { return sections_; }
  int64_t count() const { return static_cast<int64_t>(entries_.size()); }

  // The lean whose word is exactly text; absent for any other text, capitals included.
  static std::optional<Lean> parseLean(std::string_view text);

private:
  std::optional<Entry> lookupHost(std::string_view host, const Moment& moment) const;

  Map<Entry> entries_;
  Map<std::vector<Section>> sections_;
  // No key is longer than this, so longer candidates need no hashing: a hostile host of thousands
  // of labels costs one pass, not one hash of each of its suffixes.
  size_t longestKey_ = 0;
};

// "work", "leisure", "mixed" or "neutral".
std::string_view rawValue(SiteKnowledge::Lean lean);

// What the two readers of the Knowledge folder (this table and the activity head) share.
namespace knowledge {

// Errors of the folder's readers that are not about a file's content.
inline constexpr const char* kErrorDomain = "qb.knowledge";
inline constexpr long kNoCLocaleCode = 1;    // the C locale for reading numbers cannot be made
inline constexpr long kInvalidHeadCode = 2;  // a head built in code from unusable values

// Nothing in the folder comes near this; a larger file is refused before it is read, so a
// misplaced file cannot make the loader allocate without bound.
inline constexpr uint64_t kMaxFileBytes = 16ull << 20;

// Blanks are tab and the Unicode space separators (general category Zs), never line breaks.
bool isBlank(char32_t c);
// text without blanks at either end (a view into text).
std::string_view trimBlanks(std::string_view text);

}  // namespace knowledge
}  // namespace qb
