#include "platform/linux/AtspiNode.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>

#include "platform/linux/AtspiCall.h"
#include "platform/linux/AtspiRoles.h"

namespace qb {

namespace {

using atspi::CallError;
using atspi::Owned;
using atspi::Ref;

// The most actions perform() looks through for a press-like one; toolkits offer one to three.
constexpr int kMaxActionsExamined = 16;
// Action names that mean "press" in the toolkits that publish on the bus: buttons, check boxes
// and tabs say press or click, menu items activate, links jump; Chromium names its elements'
// one action, which for a tab brings it forward, doDefault; Firefox names its tabs' one action
// switch.
constexpr std::array<std::string_view, 6> kPressActions{"press", "click",     "activate",
                                                        "jump",  "doDefault", "switch"};
// The document attributes that carry a page's address: Firefox's, then Chromium's.
constexpr std::array<const char*, 2> kAddressAttributes{"DocURL", "URI"};

std::optional<std::string> takeText(gchar* text) {
  Owned<gchar> owned(text);
  if (!owned) return std::nullopt;
  return std::string(owned.get());
}

std::optional<AtspiRole> roleOf(AtspiAccessible* accessible) {
  CallError error("GetRole", accessible);
  AtspiRole found = atspi_accessible_get_role(accessible, error.out());
  if (error.failed()) return std::nullopt;
  return found;
}

bool hasState(AtspiAccessible* accessible, AtspiStateType state) {
  // Failures give no set at all (an empty one for a program that has gone).
  Ref<AtspiStateSet> states{atspi_accessible_get_state_set(accessible)};
  return states && atspi_state_set_contains(states.get(), state);
}

bool isDocument(AtspiRole role) {
  return role == ATSPI_ROLE_DOCUMENT_WEB || role == ATSPI_ROLE_DOCUMENT_FRAME;
}

AXValue roleWord(AtspiAccessible* accessible) {
  std::optional<AtspiRole> found = roleOf(accessible);
  if (!found) return {};
  Owned<gchar> name(atspi_role_get_name(*found));
  // Only plain text needs its states to tell a field from an area: one more request.
  bool multiLine = *found == ATSPI_ROLE_TEXT && hasState(accessible, ATSPI_STATE_MULTI_LINE);
  return axRoleForAtspiRole(name ? std::string_view(name.get()) : std::string_view(), multiLine);
}

AXValue textProperty(AtspiAccessible* accessible, const char* property) {
  if (std::optional<std::string> text = atspi::textProperty(accessible, property)) return *text;
  return {};
}

AXValue textOrValue(AtspiAccessible* accessible) {
  // A password field's text is never read, whatever the toolkit puts in it.
  if (roleOf(accessible) == ATSPI_ROLE_PASSWORD_TEXT) return {};
  if (Ref<AtspiText> text{atspi_accessible_get_text_iface(accessible)}) {
    CallError countError("GetCharacterCount", accessible);
    gint count = atspi_text_get_character_count(text.get(), countError.out());
    if (countError.failed() || count < 0) return {};
    CallError textError("GetText", accessible);
    std::optional<std::string> read = takeText(atspi_text_get_text(
        text.get(), 0, std::min(count, AtspiNode::kMaxValueCharacters), textError.out()));
    if (textError.failed() || !read) return {};
    return *read;
  }
  if (Ref<AtspiValue> value{atspi_accessible_get_value_iface(accessible)}) {
    CallError error("GetCurrentValue", accessible);
    double current = atspi_value_get_current_value(value.get(), error.out());
    if (error.failed()) return {};
    return current;
  }
  return {};
}

AXValue selectedRange(AtspiAccessible* accessible) {
  Ref<AtspiText> text{atspi_accessible_get_text_iface(accessible)};
  if (!text) return {};
  CallError countError("GetNSelections", accessible);
  const gint selections = atspi_text_get_n_selections(text.get(), countError.out());
  if (countError.failed()) return {};
  if (selections <= 0) {
    CallError caretError("GetCaretOffset", accessible);
    const gint caret = atspi_text_get_caret_offset(text.get(), caretError.out());
    if (caretError.failed() || caret < 0) return {};
    return TextRange{caret, 0};
  }
  CallError selectionError("GetSelection", accessible);
  Owned<AtspiRange> range(atspi_text_get_selection(text.get(), 0, selectionError.out()));
  if (selectionError.failed() || !range || range->start_offset < 0 ||
      range->end_offset < range->start_offset) {
    return {};
  }
  return TextRange{range->start_offset, range->end_offset - range->start_offset};
}

// A browser keeps the pages of its background tabs (and one it preloads) in the window's tree,
// marked as not showing: they are left out, so that every walk of a window sees the page the user
// sees. A state that cannot be read hides nothing.
bool isHiddenDocument(AtspiAccessible* accessible) {
  const std::optional<AtspiRole> role = roleOf(accessible);
  if (!role || !isDocument(*role)) return false;
  Ref<AtspiStateSet> states{atspi_accessible_get_state_set(accessible)};
  return states && !atspi_state_set_is_empty(states.get()) &&
         !atspi_state_set_contains(states.get(), ATSPI_STATE_SHOWING);
}

AXValue children(AtspiAccessible* accessible) {
  CallError countError("GetChildCount", accessible);
  gint count = atspi_accessible_get_child_count(accessible, countError.out());
  if (countError.failed() || count < 0) return {};
  std::vector<AXElement> list;
  list.reserve(static_cast<std::size_t>(std::min(count, AtspiNode::kMaxChildren)));
  for (gint i = 0; i < count && i < AtspiNode::kMaxChildren; ++i) {
    CallError error("GetChildAtIndex", accessible);
    AtspiAccessible* child = atspi_accessible_get_child_at_index(accessible, i, error.out());
    if (error.failed()) {
      // A program that stopped answering would cost the timeout once per child: stop at the first.
      if (child) g_object_unref(child);
      break;
    }
    AXElement element = AtspiNode::adopt(child);
    if (element && !isHiddenDocument(child)) list.push_back(std::move(element));
  }
  return list;
}

AXValue focusedWindow(AtspiAccessible* application) {
  CallError countError("GetChildCount", application);
  gint count = atspi_accessible_get_child_count(application, countError.out());
  if (countError.failed()) return {};
  for (gint i = 0; i < count && i < AtspiNode::kMaxWindowsExamined; ++i) {
    CallError error("GetChildAtIndex", application);
    Ref<AtspiAccessible> window{atspi_accessible_get_child_at_index(application, i, error.out())};
    if (error.failed()) return {};  // not answering: the next child would wait as long
    if (window && hasState(window.get(), ATSPI_STATE_ACTIVE))
      return AtspiNode::adopt(window.release());
  }
  return {};
}

AXValue parent(AtspiAccessible* accessible) {
  CallError error("GetParent", accessible);
  AtspiAccessible* found = atspi_accessible_get_parent(accessible, error.out());
  if (error.failed()) {
    if (found) g_object_unref(found);
    return {};
  }
  AXElement element = AtspiNode::adopt(found);
  if (!element) return {};
  return element;
}

std::optional<AtspiRect> extents(AtspiAccessible* accessible) {
  Ref<AtspiComponent> component{atspi_accessible_get_component_iface(accessible)};
  if (!component) return std::nullopt;
  CallError error("GetExtents", accessible);
  Owned<AtspiRect> rect(
      atspi_component_get_extents(component.get(), ATSPI_COORD_TYPE_SCREEN, error.out()));
  if (error.failed() || !rect || rect->width < 0 || rect->height < 0) return std::nullopt;
  return *rect;
}

AXValue focused(AtspiAccessible* accessible) {
  Ref<AtspiStateSet> states{atspi_accessible_get_state_set(accessible)};
  if (!states) return {};
  return static_cast<bool>(atspi_state_set_contains(states.get(), ATSPI_STATE_FOCUSED));
}

std::optional<std::string> documentAddress(AtspiAccessible* accessible) {
  Ref<AtspiDocument> document{atspi_accessible_get_document_iface(accessible)};
  if (!document) return std::nullopt;
  for (const char* attribute : kAddressAttributes) {
    CallError error("GetDocumentAttributeValue", accessible);
    std::optional<std::string> address = takeText(atspi_document_get_document_attribute_value(
        document.get(), const_cast<gchar*>(attribute), error.out()));
    if (error.failed()) return std::nullopt;
    if (address && !address->empty()) return address;
  }
  return std::nullopt;
}

bool isFileAddress(std::string_view address) {
  constexpr std::string_view scheme = "file:";
  if (address.size() < scheme.size()) return false;
  return std::equal(scheme.begin(), scheme.end(), address.begin(),
                    [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); });
}

bool press(AtspiAccessible* accessible) {
  Ref<AtspiAction> action{atspi_accessible_get_action_iface(accessible)};
  if (!action) return false;
  CallError countError("GetNActions", accessible);
  gint count = atspi_action_get_n_actions(action.get(), countError.out());
  if (countError.failed()) return false;
  for (gint i = 0; i < count && i < kMaxActionsExamined; ++i) {
    CallError nameError("GetName (action)", accessible);
    std::optional<std::string> actionName =
        takeText(atspi_action_get_action_name(action.get(), i, nameError.out()));
    if (nameError.failed()) return false;
    if (!actionName ||
        std::find(kPressActions.begin(), kPressActions.end(), *actionName) == kPressActions.end())
      continue;
    CallError doError("DoAction", accessible);
    gboolean done = atspi_action_do_action(action.get(), i, doError.out());
    return !doError.failed() && done;
  }
  return false;
}

}  // namespace

AXElement AtspiNode::adopt(AtspiAccessible* accessible) {
  if (!accessible) return {};
  return AXElement(std::shared_ptr<const AXNode>(new AtspiNode(accessible)));
}

AtspiNode::~AtspiNode() { g_object_unref(accessible_); }

AXValue AtspiNode::attribute(std::string_view name) const {
  if (name == AXAttribute::role) return roleWord(accessible_);
  if (name == AXAttribute::title) return textProperty(accessible_, "Name");
  if (name == AXAttribute::description) return textProperty(accessible_, "Description");
  if (name == AXAttribute::value) return textOrValue(accessible_);
  if (name == AXAttribute::children) return children(accessible_);
  if (name == AXAttribute::parent) return parent(accessible_);
  if (name == AXAttribute::position) {
    if (std::optional<AtspiRect> rect = extents(accessible_))
      return Point{static_cast<double>(rect->x), static_cast<double>(rect->y)};
    return {};
  }
  if (name == AXAttribute::size) {
    if (std::optional<AtspiRect> rect = extents(accessible_))
      return Size{static_cast<double>(rect->width), static_cast<double>(rect->height)};
    return {};
  }
  if (name == AXAttribute::focused) return focused(accessible_);
  if (name == AXAttribute::selectedTextRange) return selectedRange(accessible_);
  if (name == AXAttribute::focusedWindow) return focusedWindow(accessible_);
  if (name == AXAttribute::url) {
    if (std::optional<std::string> address = documentAddress(accessible_)) return *address;
    return {};
  }
  if (name == AXAttribute::document) {
    std::optional<std::string> address = documentAddress(accessible_);
    if (address && isFileAddress(*address)) return *address;
    return {};
  }
  return {};
}

bool AtspiNode::perform(std::string_view action) const {
  if (action == AXAction::press) return press(accessible_);
  return false;
}

bool AtspiNode::isSame(const AXNode& other) const {
  const auto* node = dynamic_cast<const AtspiNode*>(&other);
  if (!node) return false;
  if (node->accessible_ == accessible_) return true;
  const AtspiObject& a = accessible_->parent;
  const AtspiObject& b = node->accessible_->parent;
  if (!a.app || !b.app || !a.app->bus_name || !b.app->bus_name || !a.path || !b.path) return false;
  return std::strcmp(a.app->bus_name, b.app->bus_name) == 0 && std::strcmp(a.path, b.path) == 0;
}

}  // namespace qb
