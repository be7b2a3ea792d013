#include <gtest/gtest.h>

#include "platform/fake/FakePlatform.h"
#include "sensing/ScreenText.h"

namespace qb {
namespace {

using Pieces = std::vector<ScreenText::Piece>;
using Skip = std::set<std::string, std::less<>>;

// Each look at the clock moves it on by a quarter second, so a time budget stops a walk after a
// known number of elements.
class SteppingClock : public MonotonicClock {
public:
  Duration now() const override { return 0.25 * ticks_++; }

private:
  mutable int ticks_ = 0;
};

class ScreenTextTest : public testing::Test {
protected:
  // An element with a role and optional title, value and description, appended to parent's
  // children when given.
  AXElement add(std::string_view role, const AXElement* parent = nullptr,
                std::optional<std::string> title = {}, std::optional<std::string> value = {},
                std::optional<std::string> description = {}) {
    auto [element, node] = ax.makeElement();
    node->set(AXAttribute::role, std::string(role));
    if (title) node->set(AXAttribute::title, *title);
    if (value) node->set(AXAttribute::value, *value);
    if (description) node->set(AXAttribute::description, *description);
    nodes[element.node()] = node;
    if (parent) {
      children[parent->node()].push_back(element);
      nodes[parent->node()]->set(AXAttribute::children, children[parent->node()]);
    }
    return element;
  }
  fake::FakeNode& node(const AXElement& element) { return *nodes[element.node()]; }
  ScreenText::Result read(const AXElement& root, int maxNodes = 100, int maxChars = 1000,
                          Duration maxTime = 10, bool includeInputs = false,
                          const Skip& skipping = {}) {
    SteppingClock clock;
    return ScreenText::read(root, maxNodes, maxChars, maxTime, includeInputs, skipping, clock);
  }
  ScreenText::Summary summary(const AXElement& window, int maxFocused = 0, int maxPage = 1000,
                              int maxNodes = 400) {
    SteppingClock clock;
    return ScreenText::summary(ax, kPid, window, maxFocused, maxPage, maxNodes, 100, clock);
  }

  static constexpr pid_t kPid = 42;
  fake::FakeAccessibility ax;
  std::map<const AXNode*, std::shared_ptr<fake::FakeNode>> nodes;
  std::map<const AXNode*, std::vector<AXElement>> children;
};

TEST_F(ScreenTextTest, EachRoleGivesTextFromItsOwnAttribute) {
  struct Case {
    std::string_view role;
    std::optional<std::string> title, value, description;
    bool includeInputs;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"AXStaticText", "title", "  running\n\ttext  ", {}, false, "running text"},
      {"AXLink", "Home", "value", "about", false, "Home"},
      {"AXButton", "", {}, "Close tab", false, "Close tab"},
      {"AXWindow", {}, {}, "Editor", false, "Editor"},
      {"AXTextField", {}, "typed", {}, false, std::nullopt},
      {"AXSearchField", {}, "query", {}, true, "query"},
      {"AXList", "Items", "value", "list", false, std::nullopt},
      {"AXStaticText", {}, "x", {}, false, std::nullopt},
      {"AXStaticText", {}, "ab", {}, false, "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.role) + " " + c.expected.value_or("(none)"));
    AXElement element = add(c.role, nullptr, c.title, c.value, c.description);
    const Pieces pieces = read(element, 100, 1000, 10, c.includeInputs).pieces;
    const Pieces expected = c.expected ? Pieces{{std::string(c.role), *c.expected}} : Pieces{};
    EXPECT_EQ(pieces, expected);
  }
}

TEST_F(ScreenTextTest, WalkIsBreadthFirstAndKeepsEachTextOnce) {
  AXElement root = add("AXGroup");
  AXElement section = add("AXGroup", &root);
  add("AXStaticText", &section, {}, "deep");
  add("AXHeading", &root, "News");
  add("AXLink", &root, "News");
  add("AXStaticText", &section, {}, "  News ");

  const ScreenText::Result result = read(root);
  EXPECT_EQ(result.pieces, (Pieces{{"AXHeading", "News"}, {"AXStaticText", "deep"}}));
  EXPECT_EQ(result.shape, (PageShape{.links = 1, .headings = 1, .chars = 8, .nodes = 6}));
}

TEST_F(ScreenTextTest, BudgetsStopTheWalkAndSayWhy) {
  // A root with three texts of four characters: 4 elements, 12 characters in all.
  AXElement root = add("AXGroup");
  for (const char* text : {"aaaa", "bbbb", "cccc"}) add("AXStaticText", &root, {}, text);
  struct Case {
    const char* name;
    int maxNodes, maxChars;
    Duration maxTime;
    int nodes, chars;
    bool truncated;
    std::string lastPiece;
  };
  // The clock moves a quarter second per look: at the start, then before each element.
  const std::vector<Case> cases = {
      {"all read", 100, 1000, 10, 4, 12, false, "cccc"},
      {"node budget", 3, 1000, 10, 3, 8, true, "bbbb"},
      {"node budget just met", 4, 1000, 10, 4, 12, false, "cccc"},
      {"character budget cuts a piece", 100, 6, 10, 3, 6, true, "bb"},
      {"character budget met by the last element", 100, 12, 10, 4, 12, false, "cccc"},
      {"time budget at its limit", 100, 1000, 0.75, 3, 8, true, "bbbb"},
      {"time budget just under", 100, 1000, 0.74, 2, 4, true, "aaaa"},
      {"no nodes", 0, 1000, 10, 0, 0, true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ScreenText::Result result = read(root, c.maxNodes, c.maxChars, c.maxTime);
    EXPECT_EQ(result.nodes, c.nodes);
    EXPECT_EQ(result.truncated, c.truncated);
    EXPECT_EQ(result.shape.truncated, c.truncated);
    EXPECT_EQ(result.shape.nodes, c.nodes);
    EXPECT_EQ(result.shape.chars, c.chars);
    EXPECT_EQ(result.pieces.empty() ? "" : result.pieces.back().text, c.lastPiece);
    EXPECT_GT(result.elapsed, 0);
  }
}

TEST_F(ScreenTextTest, PasswordFieldsAndSkippedRolesAreNotEntered) {
  AXElement root = add("AXWindow");
  AXElement secure = add("AXSecureTextField", &root, "Password", "hunter22");
  add("AXStaticText", &secure, {}, "inside the field");
  AXElement toolbar = add("AXToolbar", &root, "Tools");
  add("AXButton", &toolbar, "Back");
  add("AXTextField", &root, {}, "address");

  const ScreenText::Result result = read(root, 100, 1000, 10, true, Skip{"AXToolbar"});
  EXPECT_EQ(result.pieces, (Pieces{{"AXTextField", "address"}}));
  EXPECT_EQ(result.shape.fields, 2) << "a password field is still a field";
  EXPECT_EQ(result.nodes, 4);
  EXPECT_EQ(node(secure).readsOf(AXAttribute::value), 0);
  EXPECT_EQ(node(secure).readsOf(AXAttribute::title), 0);
}

TEST_F(ScreenTextTest, OnlyTheFirstChildrenOfAnElementAreVisited) {
  AXElement root = add("AXGroup");
  std::vector<AXElement> rows;
  for (int i = 0; i < 500; ++i) rows.push_back(add("AXRow", &root, "row " + std::to_string(i)));
  const ScreenText::Result result = read(root, 1000, 100000, 1e9);
  EXPECT_EQ(result.nodes, 201);
  EXPECT_FALSE(result.truncated);
  EXPECT_EQ(result.pieces.back().text, "row 199");
  EXPECT_EQ(node(rows[200]).readsOf(AXAttribute::role), 0);
}

TEST_F(ScreenTextTest, SummaryReadsTheWebAreaHeadingsFirst) {
  AXElement window = add("AXWindow", nullptr, "Front page");
  AXElement toolbar = add("AXToolbar", &window);
  add("AXTextField", &toolbar, {}, "example.org");
  AXElement page = add("AXWebArea", &window, "Front page");
  add("AXStaticText", &page, {}, "First paragraph");
  add("AXLink", &page, "More");
  add("AXStaticText", &page, {}, "ok");
  AXElement pageBar = add("AXToolbar", &page);
  add("AXHeading", &pageBar, "Lead");
  add("AXHeading", &page, "Second");

  const ScreenText::Summary result = summary(window);
  EXPECT_EQ(result.page, "Second · Lead · First paragraph · More")
      << "headings first in walk order, then running text, then labels; the title and "
         "two-character pieces left out; toolbars inside the page read";
  EXPECT_EQ(result.shape.headings, 2);
  EXPECT_EQ(node(toolbar).readsOf(AXAttribute::children), 1) << "searched, never walked";
  EXPECT_EQ(node(window).readsOf(AXAttribute::title), 1) << "the title is read once";

  EXPECT_EQ(summary(window, 0, 20).page, "Second · Lead · Firs");
  EXPECT_EQ(summary(window, 0, 2).shape.chars, 6) << "the walk gathers three times the page";
  EXPECT_EQ(summary(window, 0, 0).page, std::nullopt);
}

TEST_F(ScreenTextTest, SummaryWithoutWebAreaLeavesOutWindowFurniture) {
  AXElement window = add("AXWindow", nullptr, "notes.txt");
  for (const char* furniture : {"AXToolbar", "AXMenuBar", "AXScrollBar"}) {
    AXElement bar = add(furniture, &window);
    add("AXButton", &bar, "Save");
  }
  add("AXStaticText", &window, {}, "Shopping list");
  EXPECT_EQ(summary(window).page, "Shopping list");
  EXPECT_EQ(summary(window).shape.nodes, 5);
}

TEST_F(ScreenTextTest, FocusedTextIsReadOnlyWhenAskedAndNeverFromPasswords) {
  AXElement window = add("AXWindow");
  struct Case {
    std::string_view role;
    int maxFocused;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"AXTextArea", 4, "line"},
      {"AXTextArea", 0, std::nullopt},
      {"AXSecureTextField", 100, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.role) + " " + std::to_string(c.maxFocused));
    AXElement focused = add(c.role, nullptr, {}, "last line");
    ax.applicationNode(kPid)->set(AXAttribute::focusedUIElement, focused);
    const ScreenText::Summary result = summary(window, c.maxFocused);
    EXPECT_EQ(result.focused, c.expected);
    EXPECT_EQ(result.focusedRole, std::string(c.role));
    EXPECT_EQ(node(focused).readsOf(AXAttribute::value), c.expected ? 1 : 0);
  }
  ax.applicationNode(kPid)->remove(AXAttribute::focusedUIElement);
  EXPECT_EQ(summary(window, 100).focusedRole, std::nullopt);
}

TEST_F(ScreenTextTest, FocusedTextPrefersWhatIsShownThenValueThenChildren) {
  struct Case {
    const char* name;
    std::optional<std::string> shown, value;
    int childCount;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"shown range", "visible  part", "whole value", 0, "le part"},
      {"empty shown range", "", "whole value", 0, "e value"},
      {"value", {}, "whole\nvalue", 0, "e value"},
      {"last forty children", {}, "", 45, "c5 c44"},
      {"nothing", {}, {}, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AXElement element = add("AXTextArea", nullptr, {}, c.value);
    if (c.shown) {
      const TextRange range{3, 20};
      node(element).set(AXAttribute::visibleCharacterRange, range);
      node(element).setParameterized(AXParameterizedAttribute::stringForRange, range, *c.shown);
    }
    for (int i = 0; i < c.childCount; ++i)
      add("AXStaticText", &element, {}, "c" + std::to_string(i));
    const int maxChars = c.childCount ? 160 : 7;
    std::optional<std::string> text = ScreenText::focusedText(element, maxChars);
    if (c.childCount && text) text = text->substr(0, 2) + text->substr(text->size() - 4);
    EXPECT_EQ(text, c.expected);
  }
}

}  // namespace
}  // namespace qb
