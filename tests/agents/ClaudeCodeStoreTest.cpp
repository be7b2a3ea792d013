#include <unistd.h>

#include <cstdint>
#include <limits>

#include "agents/AgentHome.h"
#include "agents/SessionStores.h"

namespace qb::AgentSessions {
namespace {

using test::AgentHome;
using test::kSince;

constexpr const char* kTranscript = ".claude/projects/-home-u-code-app/s1.jsonl";

std::string titleLine(const std::string& title) {
  return R"({"type":"ai-title","aiTitle":")" + title + "\"}\n";
}
std::string folderLine(const std::string& folder) {
  return R"({"type":"user","cwd":")" + folder + "\"}\n";
}

TEST(ClaudeCodeStoreTest, TitleAndFolderComeFromTheLatestLinesThatHoldThem) {
  struct Case {
    const char* name;
    std::string transcript;
    std::optional<std::string> title;  // absent: no session
  };
  for (const Case& c : std::vector<Case>{
           {"title further back than the folder",
            titleLine("Fix login") + folderLine("/w/old") + folderLine("/w/app"), "Fix login"},
           {"the later title wins", titleLine("Old") + titleLine("New") + folderLine("/w/app"),
            "New"},
           {"a later title line without aiTitle leaves the earlier",
            titleLine("Kept") +
                R"({"type":"ai-title"})"
                "\n" +
                folderLine("/w/app"),
            "Kept"},
           {"a cut last line is passed over",
            titleLine("Fix") + folderLine("/w/app") + R"({"type":"ai-title","aiTitle":"Cu)", "Fix"},
           {"no title line", folderLine("/w/app"), std::nullopt},
           {"no folder", titleLine("Fix"), std::nullopt},
       }) {
    SCOPED_TRACE(c.name);
    AgentHome home;
    home.write(kTranscript, c.transcript, kSince + 5);
    const std::vector<AgentSession> sessions = claudeCode(home.path(), kSince);
    if (!c.title) {
      EXPECT_TRUE(sessions.empty());
      continue;
    }
    EXPECT_EQ(sessions,
              (std::vector{AgentSession("Claude Code", "/w/app", *c.title, kSince + 5, false)}));
  }
}

TEST(ClaudeCodeStoreTest, OnlyTheTranscriptsLastBytesAreSearchedForATitle) {
  const std::string end = folderLine("/w/app");
  // The title line starts exactly where the read begins, or one byte before it and is cut.
  for (size_t extra : {0, 1}) {
    SCOPED_TRACE(extra);
    const std::string title = titleLine("Fix");
    const std::string filler(kEndBytes - title.size() - 1 - end.size() + extra, 'x');
    AgentHome home;
    home.write(kTranscript, "{}\n" + title + filler + "\n" + end);
    EXPECT_EQ(claudeCode(home.path(), kSince).size(), extra == 0 ? 1u : 0u);
  }
}

TEST(ClaudeCodeStoreTest, InvalidUtf8IsReplaced) {
  AgentHome home;
  home.write(kTranscript, titleLine("Fix \xFF") + folderLine("/w/\xC3"));
  const auto sessions = claudeCode(home.path(), kSince);
  ASSERT_EQ(sessions.size(), 1u);
  EXPECT_EQ(sessions[0].title, "Fix \xEF\xBF\xBD");
  EXPECT_EQ(sessions[0].folder, "/w/\xEF\xBF\xBD");
}

TEST(ClaudeCodeStoreTest, BusyOnlyWhileTheProcessFileNamesALiveProcess) {
  const std::string self = std::to_string(::getpid());
  struct Case {
    const char* name;
    std::string process;
    bool busy;
  };
  for (const Case& c : std::vector<Case>{
           {"a live process", R"({"status":"busy","sessionId":"s1","pid":)" + self + "}", true},
           {"another status", R"({"status":"idle","sessionId":"s1","pid":)" + self + "}", false},
           {"another session", R"({"status":"busy","sessionId":"s2","pid":)" + self + "}", false},
           {"a pid as text", R"({"status":"busy","sessionId":"s1","pid":")" + self + "\"}", false},
           {"a process that ended", R"({"status":"busy","sessionId":"s1","pid":2147483647})",
            false},
           // kill() takes these for the caller's process group and for every process.
           {"pid 0", R"({"status":"busy","sessionId":"s1","pid":0})", false},
           {"pid -1", R"({"status":"busy","sessionId":"s1","pid":-1})", false},
           {"a negated group",
            R"({"status":"busy","sessionId":"s1","pid":-)" + std::to_string(::getpgrp()) + "}",
            false},
           {"beyond process ids", R"({"status":"busy","sessionId":"s1","pid":4294967297})", false},
           {"not an object", "[1]", false},
       }) {
    SCOPED_TRACE(c.name);
    AgentHome home;
    home.write(kTranscript, titleLine("Fix") + folderLine("/w/app"));
    // Process files are read whatever their age.
    home.write(".claude/sessions/1234.json", c.process, kSince - 86400);
    const auto sessions = claudeCode(home.path(), kSince);
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0].busy, c.busy);
  }
}

}  // namespace
}  // namespace qb::AgentSessions
