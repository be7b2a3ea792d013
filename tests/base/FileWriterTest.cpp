#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qb::test
