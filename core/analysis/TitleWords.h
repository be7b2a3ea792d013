// TitleWords: how titles are compared and shortened, shared by the analyzer, the work context and
// the policy.
//
// Titles are compared by their content words, stemmed so that inflected forms and long words
// compare equal, and shown without their trailing site or application name. The separator sets
// that cut a title into parts live here too, so that every reader of titles cuts them alike.

#pragma once

#include <set>
#include <string>
#include <string_view>

namespace qb::TitleWords {

using Words = std::set<std::string>;

// The dashes that join a title's parts: hyphen-minus, em dash and en dash. The hyphen comes first
// so that the text reads literally at the start of a regular-expression character class.
inline constexpr std::string_view kDashes = "-\u2014\u2013";

// A pattern for a title's last part: a blank, a dash, bar or colon (or one of `extra`), a blank,
// then a tail free of all of them up to the end. `extra` must be safe inside a character class.
std::string tailPattern(std::string_view extra = {});

// The content words of a title: numbers of 3+ digits and version-like tokens whole, short
// all-capital acronyms and codes lower-cased, other words lower-cased, without stop words and
// words under 4 characters, with one English suffix removed and cut to 6 characters.
Words words(std::string_view title);

// The title without a trailing " - Site" part, when that part holds no further separator.
std::string shortTitle(std::string_view title);

// Removes one of "ing", "es", "ed", "s" from a word long enough to keep a stem of 4 characters.
std::string stem(const std::string& word);

}  // namespace qb::TitleWords
