#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "base/File.h"
#include "base/FileWriter.h"
#include "support/ManualRuntime.h"
#include "support/TestSupport.h"

namespace qb::test {
namespace {

TEST(FileWriterTest, EachFileEndsAsLastHandedOverAndAFailureIsLogged) {
  TempDir dir;
  LogCapture log;
  {
    FileWriter writer;
    for (int i = 0; i < 100; ++i) writer.write(dir / "a.json", std::to_string(i));
    writer.write(dir / "gone.json", "soon removed");
    writer.remove(dir / "gone.json");
    writer.remove(dir / "never.json");  // missing: no failure
    writeFile(dir / "file", "");
    writer.write(dir / "file/b.json", "under a file");
    writer.flush();
    EXPECT_EQ(file::read(dir / "a.json", 16), "99");
    EXPECT_FALSE(std::filesystem::exists(dir / "gone.json"));
    ASSERT_EQ(log.lines().size(), 1u) << "only the write under a file fails";
    EXPECT_NE(log.lines()[0].find("b.json"), std::string::npos);

    writer.write(dir / "late.json", "written as the writer goes");
  }
  EXPECT_EQ(file::read(dir / "late.json", 64), "written as the writer goes");
}

TEST(FileWriterTest, AStateTheSystemRefusesIsKeptAndTriedAgainOrSaidLostAtTheEnd) {
  TempDir dir;
  LogCapture log;
  std::mutex mutex;
  std::vector<bool> heard;
  const auto hear = [&](bool unwritten) {
    std::lock_guard lock(mutex);
    heard.push_back(unwritten);
  };
  // A file where the folder should be refuses every write, even root's.
  writeFile(dir / "held", "");
  {
    FileWriter writer(hear);
    writer.write(dir / "held/a.json", "1");
    writer.write(dir / "b.json", "saved at once");
    writer.flush();
    writer.write(dir / "held/a.json", "2");  // replaces the kept state; refused as well
    writer.retry();
    writer.flush();
    std::filesystem::remove(dir / "held");
    writer.flush();
    EXPECT_FALSE(std::filesystem::exists(dir / "held/a.json")) << "tried only when asked";
    writer.retry();
    writer.flush();
    EXPECT_EQ(file::read(dir / "held/a.json", 16), "2");
    EXPECT_EQ(heard, (std::vector<bool>{true, false}));
    EXPECT_EQ(log.lines().size(), 2u) << "refused once, then saved after all";

    writeFile(dir / "in the way", "");
    writer.write(dir / "in the way/c.json", "lost");
  }
  EXPECT_NE(
      log.lines().back().find("lost as the program ends: " + (dir / "in the way/c.json").string()),
      std::string::npos)
      << log.lines().back();
}

}  // namespace
}  // namespace qb::test
