// AtspiNode: an AXNode over one object of the accessibility bus (libatspi's AtspiAccessible).
//
// Reads answer in AXElement's vocabulary: "AXRole" is the role word of AtspiRoles.h;
// "AXTitle" the accessible name; "AXValue" the text (at most kMaxValueCharacters, never of a
// password field) or else the numeric value; "AXChildren" at most kMaxChildren elements, never a
// web document that is not showing (the pages of background tabs); "AXPosition" and "AXSize" the
// extents in screen pixels; "AXFocused" the focused state; "AXSelectedTextRange" a text's first
// selection, or its caret as an empty range; "AXFocusedWindow" (of an application)
// its active top-level child; "AXURL" the address a document names ("DocURL" or "URI") and
// "AXDocument" that address when it is a file: URL. Every read is one or a few calls over the
// bus, each bounded by the timeout given to AtspiBus::setTimeout; any failure reads as no value.
// perform("AXPress") runs the first press-like action; raising windows is the window system's
// business, so perform("AXRaise") is false.
//
// The node holds a reference on its object, so an element stays valid (reading as no value) after
// its program has gone. Main thread only, as libatspi is.

#pragma once

#include <cstddef>

#include "platform/AXElement.h"

typedef struct _AtspiAccessible AtspiAccessible;

namespace qb {

class AtspiNode final : public AXNode {
public:
  // The most children "AXChildren" lists: a list or a table can hold thousands of rows, and each
  // child not cached by the bus costs a round trip to its program.
  static constexpr int kMaxChildren = 500;
  // The most characters "AXValue" reads of a text: callers keep a few thousand at most.
  static constexpr int kMaxValueCharacters = 10'000;
  // How many of an application's top-level children are asked whether they are the active
  // window: a program may publish thousands (one per popup it ever made), and each costs requests.
  static constexpr int kMaxWindowsExamined = 64;

  // An element over `accessible`, taking over one reference the caller owned; empty for null.
  static AXElement adopt(AtspiAccessible* accessible);

  ~AtspiNode() override;
  AtspiNode(const AtspiNode&) = delete;
  AtspiNode& operator=(const AtspiNode&) = delete;

  AXValue attribute(std::string_view name) const override;
  bool perform(std::string_view action) const override;
  bool isSame(const AXNode& other) const override;

  // The object, valid while this node lives; the node keeps its reference.
  AtspiAccessible* accessible() const { return accessible_; }

private:
  explicit AtspiNode(AtspiAccessible* accessible) : accessible_(accessible) {}

  AtspiAccessible* accessible_;  // one reference owned, released by the destructor
};

}  // namespace qb
