// A tree of fake accessible elements that a test builds: a child is appended to its parent's
// "AXChildren" and names the parent as its "AXParent".

#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fake/FakePlatform.h"

namespace qb::test {

class FakeTree {
public:
  explicit FakeTree(fake::FakeAccessibility& accessibility) : accessibility_(accessibility) {}
  // A child and its parent hold each other: the links are cut so that both can go.
  ~FakeTree() {
    for (auto& [key, node] : nodes_) {
      node->remove(AXAttribute::children);
      node->remove(AXAttribute::parent);
    }
  }
  FakeTree(const FakeTree&) = delete;
  FakeTree& operator=(const FakeTree&) = delete;

  // A new element with `role` (none when empty), the last child of `parent` when given.
  AXElement add(std::string_view role, const AXElement* parent = nullptr) {
    auto [element, node] = accessibility_.makeElement();
    if (!role.empty()) node->set(AXAttribute::role, std::string(role));
    nodes_[element.node()] = node;
    if (parent) {
      std::vector<AXElement>& siblings = children_[parent->node()];
      siblings.push_back(element);
      nodes_[parent->node()]->set(AXAttribute::children, siblings);
      node->set(AXAttribute::parent, *parent);
    }
    return element;
  }
  // The node of an element this tree made, for setting its attributes.
  fake::FakeNode& node(const AXElement& element) { return *nodes_.at(element.node()); }

private:
  fake::FakeAccessibility& accessibility_;
  std::map<const AXNode*, std::shared_ptr<fake::FakeNode>> nodes_;
  std::map<const AXNode*, std::vector<AXElement>> children_;
};

}  // namespace qb::test
