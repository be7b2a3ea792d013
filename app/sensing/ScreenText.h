// ScreenText: a bounded sample of the text a window shows, read through accessibility, so that
// more than a title can be looked at later.
//
// The page text holds headings first, then running text, then the titles of labelled elements
// (links, buttons, cells, images, tabs, groups and the like). Every read is bounded three ways:
// by a number of elements, a number of characters and a time; the time is only tested between
// elements, so one element of a program that stops answering can overrun it by the messaging
// timeout. Nothing here fails: unreadable attributes give no text, and a budget ends a walk with
// `truncated` set and what was gathered so far.
//
// A password field's text is never asked for: neither the walk nor summary's read of the focused
// element requests the value of an "AXSecureTextField".
//
// Whitespace is collapsed in every text taken: split at each White_Space scalar (line breaks
// included), empty parts dropped, the rest joined with one blank. Lengths and budgets count
// user-perceived characters. Stateless; main thread only, as every accessibility read is.

#pragma once

#include <sys/types.h>

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/Clock.h"
#include "base/Date.h"
#include "platform/AXElement.h"
#include "recording/PageShape.h"

namespace qb {

class Accessibility;

namespace ScreenText {

// One text found in a walk: the role of the element that showed it and its text, whitespace
// collapsed, at least two characters, possibly cut to what was left of the character budget.
struct Piece {
  std::string role;
  std::string text;
  friend bool operator==(const Piece&, const Piece&) = default;
};

// What one budgeted walk gathered.
struct Result {
  std::vector<Piece> pieces;  // in the order found
  int nodes = 0;              // elements taken from the queue
  Duration elapsed = 0;       // seconds the walk took, on the clock it was given
  bool truncated = false;     // a budget stopped the walk before the elements ran out
  PageShape shape;            // links, headings, images, fields, chars, nodes, truncated
};

// The whole read of one window.
struct Summary {
  std::optional<std::string> focused;      // the focused element's text, when asked for
  std::optional<std::string> page;         // the page text, pieces joined with " · "
  PageShape shape;                         // what the walk counted
  std::optional<std::string> focusedRole;  // the focused element's "AXRole"
};

// Reads the window of process `pid`: the focused element's role and, when maxFocused is at least
// 1 and the element is not a password field, the last maxFocused characters of its text; then the
// page text, at most maxPage characters, from a walk of at most maxNodes elements and maxTime
// seconds on `clock`. The walk starts at the window's web area when a search of the window's
// furniture finds one, else at the window itself, leaving out toolbars, menu bars and scroll
// bars. Pieces shorter than three characters and pieces equal to the window's title are left out
// of the page text.
Summary summary(const Accessibility& accessibility, pid_t pid, const AXElement& window,
                int maxFocused, int maxPage, int maxNodes, Duration maxTime,
                const MonotonicClock& clock);

// A breadth-first walk from `root` that takes text from running text, from labelled elements
// and, when includeInputs is true, from input fields; elements whose role is in `skipping` are
// neither read for text nor entered. Each text is kept once, under the role where it was met
// first. Stops at maxNodes elements, maxChars characters kept or maxTime seconds on `clock`.
Result read(const AXElement& root, int maxNodes, int maxChars, Duration maxTime, bool includeInputs,
            const std::set<std::string, std::less<>>& skipping, const MonotonicClock& clock);

// The text of an input element, its last maxChars characters: what it shows, else its value,
// else the values of its last children. No value when there is none.
std::optional<std::string> focusedText(const AXElement& element, int maxChars);
// What an input element shows ("AXStringForRange" of its "AXVisibleCharacterRange"), else its
// "AXValue"; the last maxChars characters, or no value when neither is a non-empty text.
std::optional<std::string> visibleText(const AXElement& element, int maxChars);

}  // namespace ScreenText

}  // namespace qb
