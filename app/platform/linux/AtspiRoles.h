// The role words of AXElement ("AXWebArea", "AXTextField", ...) for the roles of the accessibility
// bus, named as libatspi names them ("document web", "entry", "push button").
//
// The callers above the platform layer search trees for a handful of role words (web areas,
// toolbars, text fields, tabs); the table makes the bus's roles meet those words: a browser's page
// tabs are "AXRadioButton" because the program presses a tab the way it presses a radio button.
// A role the table does not name becomes "AX" and its bus name in UpperCamelCase ("tree item" is
// "AXTreeItem"), so that every role has one word and none collides with a mapped one by chance.

#pragma once

#include <string>
#include <string_view>

namespace qb {

// The role word for a bus role name; "AXUnknown" for an empty name. Toolkits publish both line
// edits and editors of many lines as "text" (Qt marks neither as single-line): `multiLine`, the
// element's multi-line state, tells a text area from a text field.
std::string axRoleForAtspiRole(std::string_view atspiRoleName, bool multiLine = false);

}  // namespace qb
