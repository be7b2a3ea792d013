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

TEST(FileTest, ADatabasesCompanionsAreItsUsersAloneAndTakeWritesWhenItDoes) {
  TempDir dir;
  UsualUmask usual;
  const auto database = dir / "events.sqlite";
  const auto wal = dir / "events.sqlite-wal";
  const auto shm = dir / "events.sqlite-shm";
  // Open to all from an earlier version, and read-only from a run that met the database so.
  for (const auto& [file, mode] :
       {std::pair{database, perms(0644)}, {wal, perms(0444)}, {shm, perms(0400)}}) {
    writeFile(file, "");
    std::filesystem::permissions(file, mode);
  }
  EXPECT_FALSE(file::protectDatabase(database));
  for (const auto& file : {database, wal, shm}) EXPECT_EQ(modeOf(file), "600") << file;

  // A database its user made read-only stays so, and no companion gains what it lacks.
  std::filesystem::permissions(database, perms(0400));
  std::filesystem::permissions(shm, perms(0400));
  EXPECT_FALSE(file::protectDatabase(database));
  EXPECT_EQ(modeOf(database), "400");
  EXPECT_EQ(modeOf(shm), "400");
}

}  // namespace
}  // namespace qb::test
