// WorkContext: what the user is working on.
//
// This header holds the title-word rules that the analyzer, the work context and the policy share:
// titles are compared by their content words, stemmed so that inflected forms and long words
// compare equal, and shown without their trailing site or application name.

#pragma once

#include <set>
#include <string>
#include <string_view>

namespace qb {

struct WorkContext {
  using Words = std::set<std::string>;

  // The content words of a title: numbers of 3+ digits and version-like tokens whole, short
  // all-capital acronyms and codes lower-cased, other words lower-cased, without stop words and
  // words under 4 characters, with one English suffix removed and cut to 6 characters.
  static Words words(std::string_view title);

  // The title without a trailing " - Site" part, when that part holds no further separator.
  static std::string shortTitle(std::string_view title);

private:
  // Removes one of "ing", "es", "ed", "s" from a word long enough to keep a stem of 4 characters.
  static std::string stem(const std::string& word);
};

}  // namespace qb
