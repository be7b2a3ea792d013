#include <gtest/gtest.h>

#include "platform/DesktopEntries.h"
#include "platform/fake/FakePlatform.h"
#include "sensing/Permissions.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

class PermissionsTest : public testing::Test {
protected:
  void install(const std::string& id) {
    test::writeFile(folder.path() / (id + ".desktop"), "[Desktop Entry]\nType=Application\n");
  }
  Access silent(std::string_view id) {
    return Permissions::determineAutomation(ax, entries, id, false);
  }

  test::TempDir folder;
  DesktopEntries entries{{folder.path()}};
  fake::FakeAccessibility ax;
};

TEST_F(PermissionsTest, BrowsersAreInstalledUnderAnyOfTheirLinuxIDs) {
  install("chromium");
  install("org.gnome.TextEditor");
  EXPECT_TRUE(Permissions::isInstalled(entries, "com.google.Chrome"));
  EXPECT_TRUE(Permissions::isInstalled(entries, "chromium"));
  EXPECT_TRUE(Permissions::isInstalled(entries, "org.gnome.TextEditor"));
  EXPECT_FALSE(Permissions::isInstalled(entries, "org.mozilla.firefox"));
  EXPECT_FALSE(Permissions::isInstalled(entries, "com.apple.Safari"));
}

TEST_F(PermissionsTest, AccessFollowsTheAccessibilityBus) {
  install("firefox-esr");
  EXPECT_EQ(silent("com.apple.Safari"), Access::notInstalled);
  ax.trusted = false;
  ax.trustOnRequest = false;
  EXPECT_EQ(silent("org.mozilla.firefox"), Access::notDetermined);
  EXPECT_FALSE(ax.trusted) << "a silent check asks nothing";
  EXPECT_EQ(Permissions::requestAutomation(ax, entries, "org.mozilla.firefox"), Access::denied);

  ax.trustOnRequest = true;
  EXPECT_EQ(Permissions::requestAutomation(ax, entries, "org.mozilla.firefox"), Access::granted);
  EXPECT_EQ(silent("org.mozilla.firefox"), Access::granted);
  EXPECT_EQ(Permissions::requestAutomation(ax, entries, "com.apple.Safari"), Access::notInstalled);
}

TEST_F(PermissionsTest, OpeningEitherPaneAsksForTheBus) {
  ax.trusted = false;
  Permissions::open(ax, Permissions::Pane::automation);
  EXPECT_TRUE(ax.trusted);
}

}  // namespace
}  // namespace qb
