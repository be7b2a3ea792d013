#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "app/sensing/FakeTree.h"
#include "platform/fake/FakePlatform.h"
#include "sensing/AX.h"

namespace qb {
namespace {

class AXTest : public testing::Test {
protected:
  // A node with a role and a name, appended to parent's children when given.
  AXElement add(std::string_view role, std::string_view name, const AXElement* parent = nullptr) {
    AXElement element = tree.add(role, parent);
    tree.node(element).set(AXAttribute::title, std::string(name));
    return element;
  }
  std::vector<std::string> visitOrder(const AXElement& root, int budget) {
    std::vector<std::string> names;
    AX::find(root, budget, [&](const AXElement& element, std::string_view) {
      names.push_back(AX::string(element, AXAttribute::title).value_or("?"));
      return false;
    });
    return names;
  }

  fake::FakeAccessibility ax;
  test::FakeTree tree{ax};
};

TEST_F(AXTest, TypedReadsGiveNoValueForOtherTypes) {
  AXElement window = add("AXWindow", "");
  tree.node(window).set(AXAttribute::value, 3.0);
  EXPECT_EQ(AX::string(window, AXAttribute::title), "") << "an empty title is a title";
  EXPECT_EQ(AX::string(window, AXAttribute::value), std::nullopt);
  EXPECT_FALSE(AX::element(window, AXAttribute::title));
  EXPECT_TRUE(AX::children(window).empty());
  EXPECT_EQ(AX::string(AXElement(), AXAttribute::title), std::nullopt);

  tree.node(window).set(AXAttribute::position, Point{10, 20});
  EXPECT_EQ(AX::frame(window), std::nullopt) << "a position without a size";
  tree.node(window).set(AXAttribute::size, Size{300, 200});
  EXPECT_EQ(AX::frame(window), (Rect{{10, 20}, {300, 200}}));
}

TEST_F(AXTest, FindSearchesBreadthFirstWithinItsBudget) {
  AXElement root = add("AXWindow", "root");
  AXElement bar = add("AXToolbar", "bar", &root);
  AXElement page = add("AXWebArea", "page", &root);
  add("AXTextField", "field", &bar);
  add("AXLink", "inside page", &page);
  add("", "no role", &bar);

  EXPECT_EQ(visitOrder(root, 100),
            (std::vector<std::string>{"root", "bar", "page", "field", "no role"}))
      << "a web area's content is never entered";
  EXPECT_EQ(visitOrder(root, 1), std::vector<std::string>{"root"});
  EXPECT_TRUE(visitOrder(root, 0).empty());
  EXPECT_TRUE(visitOrder(root, -5).empty());

  EXPECT_EQ(
      AX::find(root, 100,
               [](const AXElement&, std::string_view role) { return role == AXRole::webArea; }),
      page);
  EXPECT_EQ(
      AX::string(
          AX::find(root, 100, [](const AXElement&, std::string_view role) { return role.empty(); }),
          AXAttribute::title),
      "no role");
  // The field is the fourth element in order: a budget of 3 stops before it.
  EXPECT_FALSE(AX::find(
      root, 3, [](const AXElement&, std::string_view role) { return role == AXRole::textField; }));
  EXPECT_TRUE(AX::find(
      root, 4, [](const AXElement&, std::string_view role) { return role == AXRole::textField; }));
}

TEST_F(AXTest, CocoaFrameFlipsAboutThePrimaryScreen) {
  const double height = QGuiApplication::primaryScreen()->geometry().height();
  EXPECT_EQ(AX::cocoaFrame(Rect{{5, 0}, {40, 100}}), (Rect{{5, height - 100}, {40, 100}}));
}

}  // namespace
}  // namespace qb
