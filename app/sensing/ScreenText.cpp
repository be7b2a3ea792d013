#include "sensing/ScreenText.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <variant>

#include "base/Text.h"
#include "platform/Accessibility.h"
#include "sensing/AX.h"

namespace qb::ScreenText {

namespace {

// Elements the search for a web area may examine; it never enters web content, so this only has
// to cover a browser's own furniture.
constexpr int kWebAreaSearchNodes = 300;
// Characters the walk may gather per character of page text: the summary drops short pieces and
// the title after the walk, so it gathers more than it keeps.
constexpr int kWalkCharsPerPageChar = 3;
// Children queued per element; a list of thousands of rows is sampled from its top.
constexpr size_t kMaxChildrenPerElement = 200;
// Shortest text a walk keeps, and shortest piece the page text keeps.
constexpr size_t kMinPieceChars = 2;
constexpr size_t kMinPageChars = 3;
// Children of a focused element whose values stand in for its text: the end of a long editor.
constexpr size_t kFocusedChildren = 40;
constexpr std::string_view kPieceSeparator = " \u00B7 ";

// Roles whose title (or, without one, description) names what the user sees; a window without a
// web area is read whole, and its own title is one of them.
bool isLabelled(std::string_view role) {
  static constexpr std::array<std::string_view, 14> labelled = {
      "AXHeading",     "AXLink",  "AXButton",      "AXCell",       "AXRow",
      "AXImage",       "AXTab",   "AXRadioButton", "AXMenuButton", "AXCheckBox",
      "AXPopUpButton", "AXGroup", "AXWebArea",     "AXWindow"};
  return std::find(labelled.begin(), labelled.end(), role) != labelled.end();
}

bool isInput(std::string_view role) {
  return role == AXRole::textArea || role == AXRole::textField || role == AXRole::comboBox ||
         role == AXRole::searchField;
}

std::string collapsed(std::string_view text) {
  std::string out;
  std::string word;
  for (char32_t scalar : text::decode(text)) {
    if (text::isWhitespace(scalar)) {
      if (!word.empty()) {
        if (!out.empty()) out += ' ';
        out += word;
        word.clear();
      }
    } else {
      text::append(word, scalar);
    }
  }
  if (!word.empty()) {
    if (!out.empty()) out += ' ';
    out += word;
  }
  return out;
}

// The last n user-perceived characters of the text (all of them when there are fewer).
std::string characterSuffix(std::string_view text, size_t n) {
  const std::string valid = text::repairUtf8(text);
  const size_t count = text::characterCount(valid);
  if (count <= n) return valid;
  size_t skip = count - n;
  size_t offset = 0;
  text::forEachCharacter(valid, [&](std::string_view character) {
    if (skip == 0) return false;
    offset += character.size();
    --skip;
    return true;
  });
  return valid.substr(offset);
}

size_t budget(int limit) { return static_cast<size_t>(std::max(limit, 0)); }

std::optional<std::string> stringOf(const AXValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return std::nullopt;
}

// The text an element of `role` offers, asking only for the attributes that role shows text in.
std::optional<std::string> candidate(const AXElement& element, std::string_view role,
                                     bool includeInputs) {
  if (role == AXRole::staticText || (includeInputs && isInput(role))) {
    return AX::string(element, AXAttribute::value);
  }
  if (isLabelled(role)) {
    std::optional<std::string> title = AX::string(element, AXAttribute::title);
    if (title && !title->empty()) return title;
    return AX::string(element, AXAttribute::description);
  }
  return std::nullopt;
}

int group(std::string_view role) {
  if (role == AXRole::heading) return 0;
  if (role == AXRole::staticText) return 1;
  return 2;
}

}  // namespace

Summary summary(const Accessibility& accessibility, pid_t pid, const AXElement& window,
                int maxFocused, int maxPage, int maxNodes, Duration maxTime,
                const MonotonicClock& clock) {
  Summary out;
  const AXElement focused =
      AX::element(accessibility.application(pid), AXAttribute::focusedUIElement);
  if (focused) {
    out.focusedRole = AX::string(focused, AXAttribute::role);
    if (maxFocused >= 1 && out.focusedRole != AXRole::secureTextField) {
      out.focused = focusedText(focused, maxFocused);
    }
  }

  const AXElement webArea =
      AX::find(window, kWebAreaSearchNodes,
               [](const AXElement&, std::string_view role) { return role == AXRole::webArea; });
  std::set<std::string, std::less<>> skipping;
  if (!webArea) {
    skipping = {std::string(AXRole::toolbar), std::string(AXRole::menuBar),
                std::string(AXRole::scrollBar)};
  }
  const int64_t walkChars = int64_t{std::max(maxPage, 0)} * kWalkCharsPerPageChar;
  Result result = read(webArea ? webArea : window, maxNodes,
                       static_cast<int>(std::min<int64_t>(walkChars, INT_MAX)), maxTime,
                       /*includeInputs=*/false, skipping, clock);
  out.shape = result.shape;

  std::stable_sort(result.pieces.begin(), result.pieces.end(),
                   [](const Piece& a, const Piece& b) { return group(a.role) < group(b.role); });
  // Read once for all pieces: the title does not change within one read, and each read of it is
  // a request to the other program that the walk's time budget does not cover.
  const std::optional<std::string> title = AX::string(window, AXAttribute::title);
  std::string page;
  bool any = false;
  for (const Piece& piece : result.pieces) {
    if (text::characterCount(piece.text) < kMinPageChars || piece.text == title) continue;
    if (any) page += kPieceSeparator;
    page += piece.text;
    any = true;
  }
  if (any) out.page = text::characterPrefix(page, budget(maxPage));
  return out;
}

Result read(const AXElement& root, int maxNodes, int maxChars, Duration maxTime, bool includeInputs,
            const std::set<std::string, std::less<>>& skipping, const MonotonicClock& clock) {
  const Duration start = clock.now();
  const size_t charBudget = budget(maxChars);
  std::vector<AXElement> queue{root};
  std::set<std::string, std::less<>> seen;
  Result out;
  size_t chars = 0;

  // Running out of elements is a complete read, however full the character budget is.
  for (size_t next = 0; next < queue.size(); ++next) {
    if (out.nodes >= maxNodes || chars >= charBudget || clock.now() - start > maxTime) {
      out.truncated = true;
      break;
    }
    const AXElement element = queue[next];
    // Counted before it is read: a node that answers nothing still cost a request.
    ++out.nodes;
    const std::string role = AX::string(element, AXAttribute::role).value_or("");

    if (role == AXRole::link) ++out.shape.links;
    if (role == AXRole::heading) ++out.shape.headings;
    if (role == AXRole::image) ++out.shape.images;
    if (isInput(role) || role == AXRole::secureTextField) ++out.shape.fields;
    // A password field's value is never asked for, and skipped furniture is not entered.
    if (role == AXRole::secureTextField || skipping.contains(role)) continue;

    if (std::optional<std::string> text = candidate(element, role, includeInputs)) {
      std::string clean = collapsed(*text);
      const size_t length = text::characterCount(clean);
      if (length >= kMinPieceChars && !seen.contains(clean)) {
        const size_t kept = std::min(length, charBudget - chars);
        out.pieces.push_back({role, text::characterPrefix(clean, kept)});
        chars += kept;
        seen.insert(std::move(clean));
      }
    }

    const std::vector<AXElement> children = AX::children(element);
    const size_t taken = std::min(children.size(), kMaxChildrenPerElement);
    queue.insert(queue.end(), children.begin(), children.begin() + static_cast<ptrdiff_t>(taken));
  }

  out.elapsed = clock.now() - start;
  out.shape.chars = static_cast<int64_t>(chars);
  out.shape.nodes = out.nodes;
  out.shape.truncated = out.truncated;
  return out;
}

std::optional<std::string> focusedText(const AXElement& element, int maxChars) {
  if (std::optional<std::string> visible = visibleText(element, maxChars)) return visible;
  const std::vector<AXElement> children = AX::children(element);
  const size_t first = children.size() > kFocusedChildren ? children.size() - kFocusedChildren : 0;
  std::string joined;
  for (size_t i = first; i < children.size(); ++i) {
    if (std::optional<std::string> value = AX::string(children[i], AXAttribute::value)) {
      if (!joined.empty()) joined += ' ';
      joined += *value;
    }
  }
  std::string clean = collapsed(joined);
  if (clean.empty()) return std::nullopt;
  return characterSuffix(clean, budget(maxChars));
}

std::optional<std::string> visibleText(const AXElement& element, int maxChars) {
  if (!element) return std::nullopt;
  const AXValue range = element.node()->attribute(AXAttribute::visibleCharacterRange);
  if (!std::holds_alternative<std::monostate>(range)) {
    const std::optional<std::string> shown = stringOf(
        element.node()->parameterizedAttribute(AXParameterizedAttribute::stringForRange, range));
    if (shown && !shown->empty()) return characterSuffix(collapsed(*shown), budget(maxChars));
  }
  const std::optional<std::string> value = AX::string(element, AXAttribute::value);
  if (value && !value->empty()) return characterSuffix(collapsed(*value), budget(maxChars));
  return std::nullopt;
}

}  // namespace qb::ScreenText
