#include <gtest/gtest.h>

#include "app/sensing/FakeTree.h"
#include "platform/fake/FakePlatform.h"
#include "sensing/ScreenText.h"

namespace qb {
namespace {

using Opt = std::optional<std::string>;

// A quarter second more at each look; a walk looks at its start, then before each element.
struct SteppingClock : MonotonicClock {
  Duration now() const override { return 0.25 * ticks++; }
  mutable int ticks = 0;
};

class ScreenTextTest : public testing::Test {
protected:
  // An element with a role and optional title, value and description, a child of `parent`.
  AXElement add(std::string_view role, const AXElement* parent = nullptr, Opt title = {},
                Opt value = {}, Opt description = {}) {
    AXElement element = tree.add(role, parent);
    if (title) node(element).set(AXAttribute::title, *title);
    if (value) node(element).set(AXAttribute::value, *value);
    if (description) node(element).set(AXAttribute::description, *description);
    return element;
  }
  fake::FakeNode& node(const AXElement& element) { return tree.node(element); }
  ScreenText::Summary summary(const AXElement& window, int maxFocused = 0, int maxPage = 1000) {
    return ScreenText::summary(ax, 42, window, maxFocused, maxPage, 400, 100, SteppingClock());
  }
  fake::FakeAccessibility ax;
  test::FakeTree tree{ax};
};

TEST_F(ScreenTextTest, BudgetsStopTheWalkAtTheirExactLimits) {
  AXElement root = add("AXGroup");  // 4 elements, 12 characters in all
  for (const char* text : {"aaaa", "bbbb", "cccc"}) add("AXStaticText", &root, {}, text);
  auto check = [&](const char* name, int maxNodes, int maxChars, Duration maxTime, int n, int chars,
                   bool truncated, std::string last) {
    SCOPED_TRACE(name);
    const auto r = ScreenText::read(root, maxNodes, maxChars, maxTime, false, {}, SteppingClock());
    EXPECT_EQ(std::tuple(r.nodes, r.shape.nodes, r.shape.chars, r.truncated, r.shape.truncated,
                         r.pieces.empty() ? "" : r.pieces.back().text, r.elapsed > 0),
              std::tuple(n, n, chars, truncated, truncated, last, true));
  };
  check("node budget", 3, 1000, 10, 3, 8, true, "bbbb");
  check("node and character budgets just met", 4, 12, 10, 4, 12, false, "cccc");
  check("character budget cuts a piece", 100, 6, 10, 3, 6, true, "bb");
  check("time budget at its limit", 100, 1000, 0.75, 3, 8, true, "bbbb");
  check("time budget just under", 100, 1000, 0.74, 2, 4, true, "aaaa");
}

TEST_F(ScreenTextTest, SummaryReadsTheWebAreaHeadingsFirstEachTextOnce) {
  AXElement window = add("AXWindow", nullptr, "Front page");
  add("AXToolbar", &window);
  AXElement page = add("AXWebArea", &window, "Front page");
  for (const char* text : {"First paragraph", "ok", "x"}) add("AXStaticText", &page, {}, text);
  add("AXLink", &page, "More", "value", "about");
  add("AXButton", &page, "", {}, "Close tab");  // no title: its description
  add("AXList", &page, "Items", "value", "list");
  add("AXTextField", &page, {}, "typed");
  AXElement pageBar = add("AXToolbar", &page);
  add("AXHeading", &pageBar, "Lead");
  add("AXHeading", &page, "Second part");
  add("AXStaticText", &pageBar, {}, " Second \n part");
  const ScreenText::Summary result = summary(window);
  EXPECT_EQ(result.page, "Second part · Lead · First paragraph · More · Close tab")
      << "headings (breadth first), running text, labels; each once; no title, nothing under 3";
  // The window's toolbar is searched, not walked: 12 nodes; the title is read once.
  EXPECT_EQ(
      std::tuple(result.shape, node(window).readsOf(AXAttribute::title)),
      std::tuple(PageShape{.links = 1, .headings = 2, .fields = 1, .chars = 55, .nodes = 12}, 1));
  EXPECT_EQ(ScreenText::read(page, 100, 1000, 10, true, {}, SteppingClock()).pieces.at(5).text,
            "typed");
  EXPECT_EQ(std::tuple(summary(window, 0, 20).page, summary(window, 0, 2).shape.chars,
                       summary(window, 0, 0).page),
            std::tuple(Opt("Second part · Lead ·"), 6, Opt()));  // the walk gathers 3 chars a char
}

TEST_F(ScreenTextTest, SummaryOfABareWindowAndTheFocusedElementNeverReadAPassword) {
  AXElement window = add("AXWindow", nullptr, "notes.txt");
  for (const char* furniture : {"AXToolbar", "AXMenuBar", "AXScrollBar"}) {
    AXElement bar = add(furniture, &window);
    add("AXButton", &bar, "Save");
  }
  AXElement secure = add("AXSecureTextField", &window, "Password", "hunter22");
  add("AXStaticText", &secure, {}, "inside the field");
  add("AXStaticText", &window, {}, "Shopping list");
  for (int i = 0; i < 500; ++i) add("AXRow", &window, "row " + std::to_string(i));  // 200 queued
  const ScreenText::Summary result = summary(window, 0, 100000);
  EXPECT_EQ(std::tuple(result.page->substr(0, 25), result.page->ends_with(" · row 194"),
                       result.shape.nodes, result.shape.truncated, result.shape.fields,
                       node(secure).readsOf(AXAttribute::value)),
            std::tuple("Shopping list · row 0 ·", true, 201, false, 1, 0));
  auto check = [&](std::string_view role, int maxFocused, Opt shown, Opt value, int childCount,
                   Opt expected) {
    SCOPED_TRACE(std::string(role) + " " + shown.value_or("-") + " " + value.value_or("-"));
    AXElement focused = add(role, nullptr, {}, value);
    fake::FakeNode& n = node(focused);
    if (shown) n.set(AXAttribute::visibleCharacterRange, TextRange{3, 20});
    if (shown)
      n.setParameterized(AXParameterizedAttribute::stringForRange, TextRange{3, 20}, *shown);
    for (int i = 0; i < childCount; ++i) add("AXStaticText", &focused, {}, "c" + std::to_string(i));
    ax.applicationNode(42)->set(AXAttribute::focusedUIElement, focused);
    const ScreenText::Summary read = summary(window, maxFocused);
    Opt text = read.focused;
    if (childCount && text) text = text->substr(0, 2) + text->substr(text->size() - 4);
    EXPECT_EQ(std::tuple(text, read.focusedRole), std::tuple(expected, Opt(role)));
    if (!expected && value) {  // not asked for, or a password: not even read
      EXPECT_EQ(n.readsOf(AXAttribute::value) + n.readsOf(AXAttribute::visibleCharacterRange), 0);
    }
  };
  check("AXTextArea", 7, "visible  part", "whole value", 0, "le part");
  check("AXTextArea", 7, "", "whole\nvalue", 0, "e value");
  check("AXTextArea", 160, {}, "", 45, "c5 c44");  // the last forty children
  check("AXTextArea", 7, {}, {}, 0, {});
  check("AXTextArea", 0, "shown", "value", 0, {});
  check("AXSecureTextField", 100, "shown", "hunter22", 0, {});
}

}  // namespace
}  // namespace qb
