// AXElement: one accessible element of another program (an application, one of its windows, or a
// node of a window's tree) as the desktop's accessibility service exposes it.
//
// An element answers attribute reads by name, in one vocabulary whatever the service behind it:
// "AXRole" (a role word such as "AXWebArea", "AXToolbar", "AXTextField"), "AXTitle", "AXChildren",
// "AXPosition" and "AXSize" (screen pixels, origin top-left), "AXFocusedWindow" (of an
// application), "AXDocument" and the others named in AXAttribute below. Every read is one request
// to the other program, bounded by the service's messaging timeout; every failure (no such
// attribute, no value, a program that does not answer or has gone) reads as no value, so that no
// caller handles the service's errors.
//
// An AXElement is a cheap shared handle; two handles compare equal when they name the same element
// of the other program, not merely when they share a node. An empty handle names nothing.

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/Geometry.h"

namespace qb {

class AXNode;

class AXElement {
public:
  AXElement() = default;
  explicit AXElement(std::shared_ptr<const AXNode> node) : node_(std::move(node)) {}

  explicit operator bool() const { return node_ != nullptr; }
  // The element's node, or null for an empty handle. Lives as long as any handle to it.
  const AXNode* node() const { return node_.get(); }

  // Two empty handles are equal; an empty one equals no element.
  friend bool operator==(const AXElement& a, const AXElement& b);

private:
  std::shared_ptr<const AXNode> node_;
};

// A run of a text element's characters: where it starts and how many it holds.
struct TextRange {
  int64_t location = 0;
  int64_t length = 0;
  friend bool operator==(const TextRange&, const TextRange&) = default;
};

// What one attribute read gives: nothing, text, a number, a flag, an element, a list of elements,
// a point, a size or a range of text.
using AXValue = std::variant<std::monostate, std::string, double, bool, AXElement,
                             std::vector<AXElement>, Point, Size, TextRange>;

// The service's side of an element. Implementations live in the platform layer; their reads run
// on the main thread.
class AXNode {
public:
  virtual ~AXNode() = default;

  // One attribute, or std::monostate for every failure. Never throws.
  virtual AXValue attribute(std::string_view name) const = 0;
  // One attribute that is read with a parameter ("AXStringForRange" of a TextRange), or
  // std::monostate for every failure. A service without such reads answers no value. Never throws.
  virtual AXValue parameterizedAttribute(std::string_view name, const AXValue& parameter) const {
    (void)name;
    (void)parameter;
    return {};
  }
  // Performs a named action ("AXRaise", "AXPress"); false when the element has no such action or
  // it failed. Never throws.
  virtual bool perform(std::string_view action) const {
    (void)action;
    return false;
  }
  // Whether `other` names the same element of the other program.
  virtual bool isSame(const AXNode& other) const = 0;
};

// The attribute, role, action and notification names the program uses.
namespace AXAttribute {
inline constexpr std::string_view role = "AXRole";
inline constexpr std::string_view title = "AXTitle";
inline constexpr std::string_view value = "AXValue";
inline constexpr std::string_view description = "AXDescription";
inline constexpr std::string_view children = "AXChildren";
inline constexpr std::string_view parent = "AXParent";
inline constexpr std::string_view position = "AXPosition";
inline constexpr std::string_view size = "AXSize";
inline constexpr std::string_view focused = "AXFocused";
inline constexpr std::string_view focusedWindow = "AXFocusedWindow";
inline constexpr std::string_view focusedUIElement = "AXFocusedUIElement";
inline constexpr std::string_view document = "AXDocument";
inline constexpr std::string_view url = "AXURL";
inline constexpr std::string_view fullScreen = "AXFullScreen";
inline constexpr std::string_view visibleCharacterRange = "AXVisibleCharacterRange";
// The text's first selection, or the caret as an empty range where nothing is selected.
inline constexpr std::string_view selectedTextRange = "AXSelectedTextRange";
}  // namespace AXAttribute

// Attributes read with a parameter.
namespace AXParameterizedAttribute {
inline constexpr std::string_view stringForRange = "AXStringForRange";
}  // namespace AXParameterizedAttribute

namespace AXRole {
inline constexpr std::string_view application = "AXApplication";
inline constexpr std::string_view window = "AXWindow";
inline constexpr std::string_view webArea = "AXWebArea";
inline constexpr std::string_view toolbar = "AXToolbar";
inline constexpr std::string_view textField = "AXTextField";
inline constexpr std::string_view secureTextField = "AXSecureTextField";
inline constexpr std::string_view textArea = "AXTextArea";
inline constexpr std::string_view comboBox = "AXComboBox";
inline constexpr std::string_view radioButton = "AXRadioButton";
inline constexpr std::string_view searchField = "AXSearchField";
inline constexpr std::string_view staticText = "AXStaticText";
inline constexpr std::string_view heading = "AXHeading";
inline constexpr std::string_view link = "AXLink";
inline constexpr std::string_view image = "AXImage";
inline constexpr std::string_view menuBar = "AXMenuBar";
inline constexpr std::string_view scrollBar = "AXScrollBar";
inline constexpr std::string_view scrollArea = "AXScrollArea";
}  // namespace AXRole

namespace AXAction {
inline constexpr std::string_view raise = "AXRaise";
inline constexpr std::string_view press = "AXPress";
}  // namespace AXAction

namespace AXNotification {
inline constexpr std::string_view focusedWindowChanged = "AXFocusedWindowChanged";
inline constexpr std::string_view mainWindowChanged = "AXMainWindowChanged";
inline constexpr std::string_view titleChanged = "AXTitleChanged";
inline constexpr std::string_view moved = "AXMoved";
inline constexpr std::string_view resized = "AXResized";
inline constexpr std::string_view elementDestroyed = "AXUIElementDestroyed";
}  // namespace AXNotification

inline bool operator==(const AXElement& a, const AXElement& b) {
  if (!a.node_ || !b.node_) return a.node_ == b.node_;
  return a.node_ == b.node_ || a.node_->isSame(*b.node_);
}

}  // namespace qb
