// Regex: a compiled regular expression in ICU syntax, matched against UTF-8 text.
//
// Case-sensitive unless the pattern begins with "(?i)"; no multi-line mode, so "^" and "$" anchor
// at the ends of the whole text. Offsets are byte offsets into the UTF-8 text given. Text that is
// not valid UTF-8 is matched as if repaired (see Text.h); callers that need offsets into such text
// should repair it first. A compiled Regex is immutable and may be shared between threads.

#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

class Regex {
public:
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

  // Throws qb::Error (domain "qb.regex") when the pattern does not compile.
  explicit Regex(std::string_view pattern);
  ~Regex();
  Regex(Regex&&) noexcept;
  Regex& operator=(Regex&&) noexcept;

  const std::string& pattern() const { return pattern_; }

  std::optional<Match> firstMatch(std::string_view text) const;
  // Non-overlapping matches from left to right; an empty match advances by one scalar.
  std::vector<Match> allMatches(std::string_view text) const;
  // A match that spans the whole text, or absent.
  std::optional<Match> wholeMatch(std::string_view text) const;
  bool contains(std::string_view text) const { return firstMatch(text).has_value(); }

  // Every match replaced by the template, in which "$1" names a group and "\$" is a dollar sign.
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
