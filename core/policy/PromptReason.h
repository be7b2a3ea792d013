// PromptReason: the one-line reason the prompt panel gives when it interrupts, and whether the page
// to go back to is the very place that is in front.
//
// The reason quotes the page's own title when the title says something of its own ("“Ten cats
// that…” doesn't look like work."); it names the site when the title is one word, vague or a
// conversation (we never quote someone's messages back at them), and names the program when there
// is no site at all. Quoted titles are cut at a word boundary so that the line fits the panel.
//
// Stateless and pure; safe on any thread. Lengths are in user-perceived characters.

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "analysis/Moment.h"

namespace qb::PromptReason {

// The longest title, in characters, that the line quotes before it is shortened.
inline constexpr size_t kTitleLimit = 45;

// The reason sentence for the moment in front; appName is its program's display name.
std::string line(const Moment& moment, std::string_view appName);

// True when the work page and the moment in front are on the same site or, when the work page has
// no site, in the same program.
bool isSamePlace(const Moment& work, const Moment& inFront);

// text cut to at most `limit` characters at its last blank, without dangling separators, and
// followed by "…"; text that fits is returned as it is (ill-formed UTF-8 repaired).
std::string shortened(std::string_view text, size_t limit);

}  // namespace qb::PromptReason
