#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "agents/AgentHome.h"
#include "agents/SessionStores.h"

namespace qb::AgentSessions {
namespace {

using test::AgentHome;
using test::kSince;

TEST(SessionFilesTest, FilesKeepsExactExtensionsChangedAtOrAfterSince) {
  AgentHome home;
  home.write("p/at-since.jsonl", "", kSince);
  home.write("p/.hidden.jsonl", "", kSince + 1);
  home.write("p/before.jsonl", "", kSince - 1);
  home.write("p/capitals.JSONL", "", kSince + 1);
  home.write("p/other.json", "", kSince + 1);
  home.write("p/jsonl", "", kSince + 1);

  std::vector<DatedFile> found = files(home / "p", "jsonl", kSince);
  std::sort(found.begin(), found.end(),
            [](const DatedFile& a, const DatedFile& b) { return a.path < b.path; });
  EXPECT_EQ(found, (std::vector<DatedFile>{{home / "p/.hidden.jsonl", kSince + 1},
                                           {home / "p/at-since.jsonl", kSince}}));
  EXPECT_TRUE(files(home / "missing", "jsonl", kSince).empty());
}

TEST(SessionFilesTest, TailAndHeadReadAtMostTheirBytes) {
  AgentHome home;
  const auto file = home.write("f", "0123456789");
  struct Case {
    uint64_t bytes;
    std::string tail;
    std::string head;
  };
  for (const Case& c : std::vector<Case>{{0, "", ""},
                                         {3, "789", "012"},
                                         {9, "123456789", "012345678"},
                                         {10, "0123456789", "0123456789"},
                                         {11, "0123456789", "0123456789"}}) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(tail(file, c.bytes), c.tail);
    EXPECT_EQ(head(file, static_cast<int64_t>(c.bytes)), c.head);
  }
  EXPECT_EQ(head(file, -1), "");
}

TEST(SessionFilesTest, ACharacterCutAtEitherEndBecomesReplacement) {
  AgentHome home;
  const auto file = home.write("f", "\xC3\xA9x\xC3\xA9");  // é x é
  EXPECT_EQ(tail(file, 3), "x\xC3\xA9");
  EXPECT_EQ(tail(file, 4), "\xEF\xBF\xBDx\xC3\xA9");
  EXPECT_EQ(head(file, 4), "\xC3\xA9x\xEF\xBF\xBD");
}

TEST(SessionFilesTest, AHugeFileIsReadOnlyAtItsEnds) {
  AgentHome home;
  const auto file = home.write("huge", "");
  // Sparse: a gigabyte that costs the disk nothing, and would cost a whole read dearly.
  ASSERT_EQ(::truncate(file.c_str(), off_t{1} << 30), 0);
  {
    std::ofstream out(file, std::ios::binary | std::ios::in | std::ios::ate);
    out << "last";
  }
  const std::string end = tail(file, kEndBytes);
  EXPECT_EQ(end.size(), kEndBytes);
  EXPECT_TRUE(end.ends_with("last"));
  EXPECT_EQ(head(file, static_cast<int64_t>(kEndBytes)).size(), kEndBytes);
}

TEST(SessionFilesTest, WhatIsNotARegularFileReadsAsNothingWithoutBlocking) {
  AgentHome home;
  const auto fifo = home / "pipe.jsonl";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto folder = home.folder("folder.jsonl");
  for (const auto& path : {fifo, folder, home / "missing.jsonl"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(tail(path, kEndBytes), "");
    EXPECT_EQ(head(path, static_cast<int64_t>(kEndBytes)), "");
  }
}

}  // namespace
}  // namespace qb::AgentSessions
