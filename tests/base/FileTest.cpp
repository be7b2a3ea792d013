#include <gtest/gtest.h>

#include <filesystem>

#include "base/File.h"
#include "support/TestSupport.h"

namespace qb::test {
namespace {

using std::filesystem::perms;

constexpr perms kOpenToAll = perms(0755);

TEST(FileTest, PrivateFoldersAreMadeClosedAndOnlyTheProgramsOwnAreClosedLater) {
  TempDir dir;
  UsualUmask usual;
  const auto own = dir / "share" / "Quillbrook";
  EXPECT_FALSE(file::createPrivateFolder(own, file::ExistingFolder::tighten));
  EXPECT_EQ(modeOf(own), "700");
  EXPECT_EQ(modeOf(dir / "share"), "755") << "the shared place above is not the program's";

  // As an earlier version left it, and a folder the user chose to export into.
  std::filesystem::permissions(own, kOpenToAll);
  std::filesystem::create_directory(dir / "chosen");
  EXPECT_FALSE(file::createPrivateFolder(own / "", file::ExistingFolder::tighten));
  EXPECT_FALSE(file::createPrivateFolder(dir / "chosen", file::ExistingFolder::keep));
  EXPECT_EQ(modeOf(own), "700");
  EXPECT_EQ(modeOf(dir / "chosen"), "755");

  // A file for its user alone gets a folder to match; one open to all, the usual folder.
  file::writeAtomically(dir / "memories" / "sites.json", "{}");
  file::writeAtomically(dir / "autostart" / "entry.desktop", "", perms(0644));
  EXPECT_EQ(modeOf(dir / "memories"), "700");
  EXPECT_EQ(modeOf(dir / "memories" / "sites.json"), "600");
  EXPECT_EQ(modeOf(dir / "autostart"), "755");
}

}  // namespace
}  // namespace qb::test
