// The role words the accessibility bus's roles read as.

#include <gtest/gtest.h>

#include "platform/linux/AtspiRoles.h"

namespace qb {
namespace {

TEST(AtspiRolesTest, RolesTheProgramSearchesForMeetItsWords) {
  struct Case {
    std::string_view atspi;
    bool multiLine;
    std::string_view word;
  };
  const Case cases[] = {
      {"document web", false, "AXWebArea"},   {"document frame", false, "AXWebArea"},
      {"tool bar", false, "AXToolbar"},       {"entry", false, "AXTextField"},
      {"entry", true, "AXTextField"},         {"text", false, "AXTextField"},
      {"text", true, "AXTextArea"},           {"password text", false, "AXSecureTextField"},
      {"combo box", false, "AXComboBox"},     {"page tab", false, "AXRadioButton"},
      {"paragraph", false, "AXStaticText"},   {"push button", false, "AXButton"},
      {"scroll pane", false, "AXScrollArea"}, {"dialog", false, "AXWindow"},
      {"filler", false, "AXGroup"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.atspi) + (c.multiLine ? " (multi-line)" : ""));
    EXPECT_EQ(axRoleForAtspiRole(c.atspi, c.multiLine), c.word);
  }
}

TEST(AtspiRolesTest, OtherRolesKeepTheirBusNameInUpperCamelCase) {
  EXPECT_EQ(axRoleForAtspiRole("tree item"), "AXTreeItem");
  EXPECT_EQ(axRoleForAtspiRole("page tab list"), "AXPageTabList");
  EXPECT_EQ(axRoleForAtspiRole("alert"), "AXAlert");
  EXPECT_EQ(axRoleForAtspiRole(""), "AXUnknown");
}

}  // namespace
}  // namespace qb
