#include "platform/linux/AtspiRoles.h"

#include <array>
#include <utility>

namespace qb {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 30> kRoleWords{{
    {"document web", "AXWebArea"},
    {"document frame", "AXWebArea"},
    {"tool bar", "AXToolbar"},
    {"entry", "AXTextField"},
    {"password text", "AXSecureTextField"},
    // A line edit; with the multi-line state, a text area. Running text of a page comes as
    // paragraphs, labels and static text, which read as static text.
    {"text", "AXTextField"},
    {"paragraph", "AXStaticText"},
    {"static", "AXStaticText"},
    {"label", "AXStaticText"},
    {"caption", "AXStaticText"},
    {"combo box", "AXComboBox"},
    {"page tab", "AXRadioButton"},
    {"radio button", "AXRadioButton"},
    {"push button", "AXButton"},
    {"heading", "AXHeading"},
    {"link", "AXLink"},
    {"image", "AXImage"},
    {"check box", "AXCheckBox"},
    {"table cell", "AXCell"},
    {"table row", "AXRow"},
    {"scroll bar", "AXScrollBar"},
    {"scroll pane", "AXScrollArea"},
    {"menu bar", "AXMenuBar"},
    {"frame", "AXWindow"},
    {"window", "AXWindow"},
    {"dialog", "AXWindow"},
    {"application", "AXApplication"},
    {"panel", "AXGroup"},
    {"filler", "AXGroup"},
    {"section", "AXGroup"},
}};

bool isAsciiLower(char c) { return c >= 'a' && c <= 'z'; }

}  // namespace

std::string axRoleForAtspiRole(std::string_view atspiRoleName, bool multiLine) {
  if (multiLine && atspiRoleName == "text") return "AXTextArea";
  for (const auto& [name, word] : kRoleWords) {
    if (name == atspiRoleName) return std::string(word);
  }
  if (atspiRoleName.empty()) return "AXUnknown";
  std::string word = "AX";
  bool startOfWord = true;
  for (char c : atspiRoleName) {
    if (c == ' ' || c == '-' || c == '_') {
      startOfWord = true;
      continue;
    }
    word += startOfWord && isAsciiLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
    startOfWord = false;
  }
  return word;
}

}  // namespace qb
