// Regex: a compiled regular expression in ICU syntax, matched against UTF-8 text.
//
// Case-sensitive unless the pattern begins with "(?i)"; no multi-line mode, so "^" and "$" anchor
// at the ends of the whole text ("$" also before a line terminator that ends the text, as in ICU).
// Offsets are byte offsets into the UTF-8 text given. Text that is not valid UTF-8 is matched as
// repairUtf8() (Text.h) would repair it, and offsets then index that repaired text, not the bytes
// given: callers that need offsets into such text should repair it first and keep the result.
// A compiled Regex is immutable and may be used from several threads at once.
//
// Matching is bounded: a match operation that exceeds the engine's work limit (catastrophic
// backtracking) or its backtracking memory limit throws qb::Error with code kLimitCode instead of
// running for minutes. The limits count engine steps, not time, so the outcome does not depend on
// the machine; ordinary patterns on texts of hundreds of kilobytes stay far below them.

#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

class Regex {
public:
  static constexpr const char* kErrorDomain = "qb.regex";
  static constexpr long kSyntaxCode = 1;       // the pattern does not compile
  static constexpr long kLimitCode = 2;        // a match exceeded the work or memory limit
  static constexpr long kReplacementCode = 3;  // a replacement template names a missing group
  static constexpr long kLibraryCode = 4;      // ICU failed (memory exhausted)

  struct Range {
    size_t begin = 0;  // byte offset of the first byte
    size_t end = 0;    // byte offset one past the last byte
    size_t size() const { return end - begin; }
    friend bool operator==(const Range&, const Range&) = default;
  };

  struct Match {
    Range range;
    // Capture groups 1..n; absent for a group that took no part in the match.
    std::vector<std::optional<Range>> groups;
  };

  // Throws qb::Error (kErrorDomain, kSyntaxCode) when the pattern does not compile or is not
  // valid UTF-8.
  explicit Regex(std::string_view pattern);
  ~Regex();
  // A moved-from Regex may only be assigned to or destroyed.
  Regex(Regex&&) noexcept;
  Regex& operator=(Regex&&) noexcept;

  const std::string& pattern() const { return pattern_; }

  std::optional<Match> firstMatch(std::string_view text) const;
  // Non-overlapping matches from left to right; an empty match advances by one scalar.
  std::vector<Match> allMatches(std::string_view text) const;
  // A match that spans the whole text, or absent.
  std::optional<Match> wholeMatch(std::string_view text) const;
  bool contains(std::string_view text) const { return firstMatch(text).has_value(); }

  // Every match replaced by the template, in which "$1" names a group, "${name}" a named group and
  // "\$" is a dollar sign; a group that does not exist throws (kReplacementCode).
  std::string replaceAll(std::string_view text, std::string_view replacement) const;
  // Every match removed.
  std::string removeAll(std::string_view text) const;
  // The pieces between matches, in order; empty pieces are kept.
  std::vector<std::string> split(std::string_view text) const;

private:
  struct Compiled;
  std::string pattern_;
  std::unique_ptr<Compiled> compiled_;
};

}  // namespace qb
