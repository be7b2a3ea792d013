#include <chrono>
#include <functional>
#include <future>

#include "agents/AgentHome.h"
#include "agents/AgentSessions.h"
#include "agents/SessionStores.h"

namespace qb::AgentSessions {
namespace {

using namespace test;

// Far beyond what a read of these small fixtures takes, even under a sanitizer on a busy machine.
constexpr std::chrono::seconds kHangBound{10};

// Runs `read` on a thread of its own and answers whether it ended within kHangBound. A read stuck
// opening one of `fifos` is then let go by opening and closing the FIFO's writing end, so that a
// failing test ends rather than hangs the suite.
bool endsInTime(const std::function<void()>& read,
                const std::vector<std::filesystem::path>& fifos = {}) {
  std::future<void> done = std::async(std::launch::async, read);
  const bool inTime = done.wait_for(kHangBound) == std::future_status::ready;
  while (done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
    for (const auto& fifo : fifos) {
      const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (writer >= 0) ::close(writer);
    }
  }
  done.get();
  return inTime;
}

TEST(AgentSessionsTest, RepositoryNamesTheProjectOfAFolder) {
  AgentHome home;
  const std::filesystem::path out = home.path().parent_path().parent_path();
  for (const auto& repo :
       {home.path(), home / "code/app", home / "code/nest", home / "code/nest/src",
        out / "elsewhere/repo", out / "elsewhere/a/repo"}) {
    std::filesystem::create_directories(repo / ".git");
  }
  home.write("wt/feature/.git", "gitdir: /r/app/.git/worktrees/feature\n");
  home.write("code/lib/.git", "gitdir: ../.git/modules/lib");
  for (const auto& [folder, project, inRepo] :
       std::vector<std::tuple<std::filesystem::path, std::optional<std::string>, bool>>{
           {home / "code/app/src", "app", true},
           {home / "code/plain/src", "plain", false},  // home's own ".git" never counts
           {home / "code/nest/src/x", "src", true},
           {home / "wt/feature", "app", true},
           {home / "code/lib", "lib", true},
           {home / ".config/tool/x", std::nullopt, false},
           {home / "Library/Caches/x", std::nullopt, false},
           {home / "code/.scratch", std::nullopt, false},
           {home / "code/app/../plain/./src", "plain", false},
           {out / "elsewhere/x", "x", false},
           // Outside home only depths are compared: a ".git" at home's depth is not looked for.
           {out / "elsewhere/a/repo/sub", "repo", true},
           {out / "elsewhere/repo/sub", "sub", false}}) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(repository(folder, home.path()), project);
    EXPECT_EQ(inRepository(folder, home.path()), inRepo);
  }
}

TEST(AgentSessionsTest, AFolderTwentyThousandDeepIsWalkedUpOnce) {
  AgentHome home;
  std::filesystem::create_directories(home / "code/app/.git");
  std::string deep = (home / "code/app").string();
  for (int i = 0; i < 20'000; ++i) deep += "/a";
  std::optional<std::string> project;
  bool inRepo = false;
  EXPECT_TRUE(endsInTime([&] {
    project = repository(deep, home.path());
    inRepo = inRepository(deep, home.path());
  }));
  EXPECT_EQ(project, "app");
  EXPECT_TRUE(inRepo);
}

TEST(AgentSessionsTest, TheWindowsSessionIsTheFirstWhoseProjectOrFolderIsAWordOfItsTitle) {
  const std::vector<AgentSession> sessions = {
      AgentSession("Codex", "/w/backend", "a", kNow, false, "MyApp"),
      AgentSession("Claude Code", "/w/my-app", "b", kNow, false, "école"),
      AgentSession("opencode", "/w/other", "c", kNow, false, "MyApp")};
  for (const auto& [title, agent] : std::vector<std::pair<std::string, std::string>>{
           {"Refactor parser \u2014 MyApp", "Codex"},
           {"Refactor parser \u2014 MyApplication", ""},
           {"vim backend/main.cpp", "Codex"},
           {"(my-app) build", "Claude Code"},
           {"my-app.cpp", ""},
           {"notes\u00A0\u00C9COLE", "Claude Code"},
           {"'my-app'|x", "Claude Code"}}) {
    SCOPED_TRACE(title);
    Moment window(1, kNow, "Terminal", "term", title);
    EXPECT_EQ(session(window, sessions).value_or(AgentSession()).agent, agent);
    window.url = Url::parse("https://example.com/");
    EXPECT_EQ(session(window, sessions), std::nullopt);  // a browser page
  }
}

TEST(AgentSessionsTest, RecentJoinsTheToolsNewestFirstWithTheirProjectsAndValidText) {
  AgentHome home;
  EXPECT_TRUE(recent(home.path(), kSince, kNow).empty());
  // Each store holds ill-formed UTF-8 (\xFF, \xC3), which comes out as U+FFFD.
  const std::string app = (home / "code/app/src").string(), notes = (home / "notes").string();
  std::filesystem::create_directories(home / "code/app/.git");
  home.write(kClaude + "s1.jsonl", claudeLines("s1\xFF", app), kNow - 60);
  home.write(kCodexIndex, codexTitle("c1", "Newer\xFF"));
  home.write(kRollouts + "rollout-c1.jsonl", codexStart("c1", "/w/api\xC3"), kNow - 5);
  // At the same time as s1: each tool keeps its place.
  home.opencodeSession("app", "Same time\xFF", kNow - 60);
  home.copilot("w", R"({"folder":"file://)" + notes + "%C3\"}", "Notes\xFF", kNow - 60);
  const std::vector<AgentSession> sessions = recent(home.path(), kSince, kNow);
  const std::string bad = "\uFFFD";
  EXPECT_EQ(sessions,
            (std::vector{AgentSession("Codex", "/w/api" + bad, "Newer" + bad, kNow - 5, false),
                         AgentSession("Claude Code", app, "s1" + bad, kNow - 60, false, "app"),
                         AgentSession("opencode", "/w/app", "Same time" + bad, kNow - 60, false),
                         AgentSession("Copilot", notes + bad, "Notes" + bad, kNow - 60, false)}));
  // "notes", right below home, has no project; "app" (a repository's, a folder's) comes once.
  EXPECT_EQ(projectFolders(sessions, home.path()), (std::vector<std::string>{"api" + bad, "app"}));
}

TEST(ClaudeCodeStoreTest, EachTitledTranscriptIsASessionBusyWhileALiveProcessSaysSo) {
  AgentHome home;
  const std::string self = std::to_string(::getpid());
  std::vector<AgentSession> expected;
  for (const auto& [id, status, pid, busy] :
       std::vector<std::tuple<std::string, std::string, std::string, bool>>{
           {"live", "busy", self, true},
           {"idle", "idle", self, false},
           {"text", "busy", '"' + self + '"', false},
           {"ended", "busy", "2147483647", false},
           // kill() takes these for process groups, which always exist, or for our own pid.
           {"zero", "busy", "0", false},
           {"all", "busy", "-1", false},
           {"wide", "busy", std::to_string((int64_t{1} << 32) + ::getpid()), false}}) {
    home.write(kClaude + id + ".jsonl", claudeLines(id, "/w"));
    home.write(".claude/sessions/" + id + ".json",
               R"({"status":")" + status + R"(","sessionId":")" + id + R"(","pid":)" + pid + "}",
               kSince - 86400);
    expected.emplace_back("Claude Code", "/w", id, kNow, busy);
  }
  // The latest title and folder count; a title line without a title and a cut line do not.
  home.write(kClaude + "s.jsonl",
             claudeLines("Old", "/w/old") + claudeLines("Fix", "/w/app") +
                 "{\"type\":\"ai-title\"}\n{\"type\":\"ai-title\",\"a",
             kSince);
  expected.emplace_back("Claude Code", "/w/app", "Fix", kSince, false);
  home.write(kClaude + "old.jsonl", claudeLines("Old", "/w"), kSince - 1);
  home.write(kClaude + "far.jsonl", claudeLines("Far", "/w") + std::string(kEndBytes, '\n'));
  ASSERT_EQ(::mkfifo((home / kClaude / "pipe.jsonl").c_str(), 0600), 0);  // never blocks
  std::filesystem::create_directories(home / kClaude / "folder.jsonl");   // nor counts
  EXPECT_THAT(claudeCode(home.path(), kSince), testing::UnorderedElementsAreArray(expected));
}

TEST(CodexStoreTest, EachTitledRolloutAtAnyDepthIsASessionBusyWhileItsLastTurnRuns) {
  AgentHome home;
  const std::string started = codexEvent("task_started"), done = codexEvent("task_complete");
  // Only the index's last and a rollout's first kEndBytes are read; a later title line renames.
  std::string index = codexTitle("lost", "Lost") + std::string(kEndBytes, '\n') +
                      codexTitle("cut", "Cut") + codexTitle("deep", "Old name");
  std::vector<AgentSession> expected;
  for (const auto& [id, path, start, events, busy] :
       std::vector<std::tuple<std::string, std::string, std::string, std::string, bool>>{
           {"deep", "a/b/c/d/", codexStart("deep", "/w"), started + codexEvent("x"), true},
           {"stop", "", codexStart("stop", "/w"), started + codexEvent("turn_aborted"), false},
           {"done", "2023/11/14/", codexStart("done", "/w"), started + done, false},
           {"again", "2023/11/14/", codexStart("again", "/w"), done + started, true},
           {"quiet", "", "\n\n" + codexStart("quiet", "/w"), codexEvent("x"), false},
           {"other", "", codexStart("other", "/w", "session_id"), "", false}}) {
    index += codexTitle(id, id);
    home.write(kRollouts + path + "rollout-" + id + ".jsonl", start + events, kNow - 1);
    expected.emplace_back("Codex", "/w", id, kNow - 1, busy);
  }
  home.write(kCodexIndex, index);
  home.write(kRollouts + "rollout-lost.jsonl", codexStart("lost", "/w"));
  home.write(kRollouts + "rollout-cut.jsonl", codexStart("cut", std::string(kEndBytes, '/')));
  home.write(kRollouts + "rollout-old.jsonl", codexStart("done", "/w"), kSince - 1);
  home.write(kRollouts + "rollout-done.json", codexStart("done", "/w"));
  ASSERT_EQ(::mkfifo((home / kRollouts / "rollout-pipe.jsonl").c_str(), 0600), 0);
  EXPECT_THAT(codex(home.path(), kSince, kNow), testing::UnorderedElementsAreArray(expected));
}

TEST(OpencodeStoreTest, ReadsTheNewestTopLevelTitledSessionsOfADatabaseItCanRead) {
  AgentHome home;
  const std::string user = R"({"role":"user"})",
                    done = R"({"role":"assistant","time":{"completed":1}})";
  std::vector<AgentSession> expected;
  for (const auto& [id, messages, busy] :
       std::vector<std::tuple<std::string, std::vector<std::string>, bool>>{
           {"asked", {done, user}, true},
           {"answering", {user, R"({"role":"assistant"})"}, true},
           {"answered", {user, done}, false},
           {"quiet", {}, false}}) {
    const Date updated = kNow - static_cast<Duration>(expected.size() + 1);
    home.opencodeSession(id, id, updated, messages);
    expected.emplace_back("opencode", "/w/" + id, id, updated, busy);
  }
  // The untitled session takes one of the rows read, and is then left out.
  home.opencodeSession("new", "New session - 2023-11-14", kNow);
  home.opencodeSession("child", "Subtask", kNow, {}, "'asked'");
  home.opencodeSession("archived", "Done", kNow, {}, "NULL", "1");
  for (auto i = static_cast<int>(expected.size()) + 1; i < kMaxOpencodeRows; ++i) {
    home.opencodeSession(std::to_string(i), "Task", kNow - i);
    expected.emplace_back("opencode", "/w/" + std::to_string(i), "Task", kNow - i, false);
  }
  home.opencodeSession("unread", "Past the row limit", kSince);
  EXPECT_EQ(opencode(home.path(), kSince, kNow), expected);
  EXPECT_EQ(opencode(home.path(), kNow - 2, kNow),
            std::vector(expected.begin(), expected.begin() + 2));
  home.opencodeSql("BEGIN EXCLUSIVE");  // as the tool does while it writes
  const auto asked = std::chrono::steady_clock::now();
  EXPECT_TRUE(opencode(home.path(), kSince, kNow).empty());
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(500));
  home.opencodeSql("COMMIT");
  AgentHome other;
  other.write(".local/share/opencode/opencode.db", "not a database, only text");
  EXPECT_TRUE(opencode(other.path(), kSince, kNow).empty());
}

TEST(OpencodeStoreTest, AMessageThatIsNotJsonIsLeftOutAlone) {
  AgentHome home;
  home.opencodeSession("bad", "Bad", kNow - 1, {R"({"role":"user"})", "not JSON"});
  home.opencodeSession("older", "Older", kNow - 2, {R"({"role":"user"})"});
  EXPECT_EQ(opencode(home.path(), kSince, kNow),
            (std::vector{AgentSession("opencode", "/w/bad", "Bad", kNow - 1, true),
                         AgentSession("opencode", "/w/older", "Older", kNow - 2, true)}));
}

TEST(CopilotStoreTest, EachTitledChatIsASessionInItsWorkspacesFolder) {
  AgentHome home;
  home.copilot("w1", R"({"folder":"file:///home/u/My%20Project"})", "Add tests", kSince);
  home.write(".config/Code/User/workspaceStorage/w1/chatSessions/untitled.json", "{}");
  home.copilot("w2", R"({"folder":"file:///w/other"})", "Review", kNow, "Code - Insiders");
  home.copilot("w3", R"({"workspace":"file:///w/x.code-workspace"})", "Unplaced");
  EXPECT_EQ(copilotChat(home.path(), kSince),
            (std::vector{AgentSession("Copilot", "/home/u/My Project", "Add tests", kSince, false),
                         AgentSession("Copilot", "/w/other", "Review", kNow, false)}));
}

TEST(SessionStoresTest, CodexAndOpencodeSessionsAreBusyOnlyWithinTheWindow) {
  for (const auto& [age, busy] :
       {std::pair{kBusyWindow - 1, true}, std::pair{kBusyWindow, false}}) {
    SCOPED_TRACE(age);
    AgentHome home;
    home.write(kCodexIndex, codexTitle("c", "Fix"));
    home.write(kRollouts + "rollout-c.jsonl", codexStart("c", "/w") + codexEvent("task_started"),
               kNow - age);
    home.opencodeSession("o", "Fix", kNow - age, {R"({"role":"user"})"});
    EXPECT_EQ(codex(home.path(), kSince, kNow).at(0).busy, busy);
    EXPECT_EQ(opencode(home.path(), kSince, kNow).at(0).busy, busy);
  }
}

TEST(SessionStoresTest, AFifoAtOrBesideTheOpencodeDatabaseLeavesOnlyItOutWithoutBlocking) {
  for (const auto& [suffix, linked] : std::vector<std::pair<std::string, bool>>{
           {"", false}, {"-wal", false}, {"-journal", false}, {"-wal", true}}) {
    SCOPED_TRACE(suffix + (linked ? " beside the database a link names" : ""));
    AgentHome home;
    home.write(kClaude + "s.jsonl", claudeLines("Fix", "/w/app"));
    std::filesystem::path database = home / ".local/share/opencode/opencode.db";
    // Beside a FIFO companion lies a database in good order, which SQLite would go on to read.
    if (!suffix.empty()) home.opencodeSession("o", "Plan", kNow);
    if (linked) {
      const std::filesystem::path link = std::exchange(database, home / "data.db");
      std::filesystem::rename(link, database);
      std::filesystem::create_symlink(database, link);
    }
    const std::filesystem::path fifo = database.string() + suffix;
    std::filesystem::create_directories(fifo.parent_path());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::vector<AgentSession> sessions;
    EXPECT_TRUE(endsInTime([&] { sessions = recent(home.path(), kSince, kNow); }, {fifo}));
    EXPECT_EQ(sessions,
              std::vector{AgentSession("Claude Code", "/w/app", "Fix", kNow, false, "app")});
  }
}

TEST(SessionFilesTest, AHugeFileIsReadOnlyAtItsEnds) {
  AgentHome home;
  // Sparse: a gigabyte that costs the disk nothing, and would cost a whole read dearly.
  const auto huge = home.write("huge", "first");
  ASSERT_EQ(::truncate(huge.c_str(), off_t{1} << 30), 0);
  const std::string start = head(huge, kEndBytes), end = tail(huge, kEndBytes);
  EXPECT_EQ(start.size(), kEndBytes);
  EXPECT_EQ(end.size(), kEndBytes);
  EXPECT_TRUE(start.starts_with("first"));
  EXPECT_EQ(end.find_first_not_of('\0'), std::string::npos);  // all of it from the hole
}

}  // namespace
}  // namespace qb::AgentSessions
