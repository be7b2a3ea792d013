#include <sqlite3.h>

#include "agents/AgentHome.h"
#include "agents/AgentSessions.h"
#include "base/Text.h"

namespace qb::AgentSessions {
namespace {

using test::AgentHome;
using test::kNow;
using test::kSince;

// A home one level below the scratch folder, so that folders outside it can be made beside it.
struct Homes {
  AgentHome scratch;
  std::filesystem::path home = scratch.folder("home/name");
};

TEST(AgentSessionsTest, RepositoryNamesTheProjectOfAFolder) {
  struct Case {
    const char* folder;  // below home, or below the scratch folder when it starts with "/"
    std::vector<std::pair<const char*, const char*>> git;  // ".git" entries: where, file text
    std::optional<std::string> project;
    bool inRepository;
  };
  constexpr const char* kFolder = nullptr;  // a ".git" folder rather than a file
  for (const Case& c : std::vector<Case>{
           {"code/app/src", {{"code/app", kFolder}}, "app", true},
           {"code/app/src", {}, "app", false},
           {"code/app/src", {{"code/app/src", kFolder}, {"code/app", kFolder}}, "src", true},
           {"wt/feature",
            {{"wt/feature", "gitdir: /home/name/code/app/.git/worktrees/feature\n"}},
            "app",
            true},
           {"code/lib", {{"code/lib", "gitdir: ../.git/modules/lib"}}, "lib", true},
           {"code/bad", {{"code/bad", "gitdir: /r/app/.git/worktrees/\xFF"}}, "bad", true},
           {"app", {}, std::nullopt, false},
           {"app", {{"", kFolder}}, std::nullopt, false},
           {"", {{"", kFolder}}, std::nullopt, false},
           {".config/tool/x", {}, std::nullopt, false},
           {"Library/Caches/x", {}, std::nullopt, false},
           {"code/.scratch", {}, std::nullopt, false},
           {"code/app/../other/./src", {}, "other", false},
           {"/elsewhere/x", {}, "x", false},
           // Outside home only depths are compared: a ".git" at home's depth is not looked for.
           {"/elsewhere/a/repo/sub", {{"/elsewhere/a/repo", kFolder}}, "repo", true},
           {"/elsewhere/repo/sub", {{"/elsewhere/repo", kFolder}}, "sub", false},
       }) {
    SCOPED_TRACE(c.folder);
    Homes homes;
    auto at = [&](const std::string& path) {
      return path.starts_with('/') ? homes.scratch.path() / path.substr(1) : homes.home / path;
    };
    for (const auto& [where, text] : c.git) {
      if (text == kFolder) {
        std::filesystem::create_directories(at(where) / ".git");
      } else {
        homes.scratch.write(at(where) / ".git", text);
      }
    }
    // Paths as the tools write them: with the home's own "." and ".." left standing.
    const std::string folder = at(c.folder).string();
    EXPECT_EQ(repository(folder, homes.home), c.project);
    EXPECT_EQ(inRepository(folder, homes.home), c.inRepository);
  }
}

Moment window(const std::string& title) { return Moment(1, kNow, "Terminal", "term", title); }

TEST(AgentSessionsTest, TheWindowsSessionIsTheFirstWhoseProjectOrFolderIsAWordOfItsTitle) {
  const std::vector<AgentSession> sessions = {
      AgentSession("Codex", "/w/backend", "a", kNow, false, "MyApp"),
      AgentSession("Claude Code", "/w/my-app", "b", kNow, false, "école"),
      AgentSession("opencode", "/w/other", "c", kNow, false, "MyApp"),
  };
  struct Case {
    const char* title;
    std::optional<std::string> agent;
  };
  for (const Case& c : std::vector<Case>{
           {"Refactor parser \u2014 MyApp", "Codex"},
           {"Refactor parser \u2014 MyApplication", std::nullopt},
           {"vim backend/main.cpp", "Codex"},
           {"(my-app) build", "Claude Code"},
           {"my-app.cpp", std::nullopt},
           {"notes\u00A0\u00C9COLE", "Claude Code"},
           {"'my-app'|x", "Claude Code"},
           {"", std::nullopt},
       }) {
    SCOPED_TRACE(c.title);
    const std::optional<AgentSession> found = session(window(c.title), sessions);
    EXPECT_EQ(found ? std::optional(found->agent) : std::nullopt, c.agent);
  }
  Moment page = window("MyApp");
  page.url = Url::parse("https://example.com/MyApp");
  EXPECT_EQ(session(page, sessions), std::nullopt);
}

TEST(AgentSessionsTest, RecentJoinsTheToolsNewestFirstWithTheirProjects) {
  Homes homes;
  AgentHome& fixture = homes.scratch;
  EXPECT_TRUE(recent(homes.home, kSince, kNow).empty());

  const std::string app = (homes.home / "code/app/src").string();
  fixture.folder("home/name/code/app/.git");
  fixture.write("home/name/.claude/projects/p/s1.jsonl",
                R"({"type":"ai-title","aiTitle":"Fix"})"
                "\n{\"cwd\":\"" +
                    app + "\"}\n",
                kNow - 60);
  fixture.write("home/name/.codex/session_index.jsonl", R"({"id":"c1","thread_name":"Newer"})");
  fixture.write("home/name/.codex/sessions/rollout-c1.jsonl",
                R"({"payload":{"id":"c1","cwd":"/w/api"}})", kNow - 5);
  sqlite3* db = nullptr;
  std::filesystem::create_directories(homes.home / ".local/share/opencode");
  ASSERT_EQ(sqlite3_open((homes.home / ".local/share/opencode/opencode.db").c_str(), &db),
            SQLITE_OK);
  const std::string sql =
      "CREATE TABLE session (id, parent_id, directory, title, time_updated, time_archived);"
      "CREATE TABLE message (id, session_id, time_created, data);"
      "INSERT INTO session VALUES ('o', NULL, '/w/tool', 'Same time', " +
      std::to_string(static_cast<int64_t>((kNow - 60).unixTime() * 1000)) + ", NULL)";
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);

  const std::vector<AgentSession> sessions = recent(homes.home, kSince, kNow);
  EXPECT_EQ(
      sessions,
      (std::vector{AgentSession("Codex", "/w/api", "Newer", kNow - 5, false),
                   AgentSession("Claude Code", app, "Fix", kNow - 60, false, "app"),
                   AgentSession("opencode", "/w/tool", "Same time", kNow - 60, false, "tool")}));
  EXPECT_EQ(projectFolders(sessions, homes.home), (std::vector<std::string>{"api", "app", "tool"}));
}

TEST(AgentSessionsTest, ProjectFoldersSkipsNamelessFoldersAndRepeats) {
  Homes homes;
  auto in = [&](const char* folder) {
    return AgentSession("Codex", (homes.home / folder).string(), "t", kNow, false);
  };
  EXPECT_EQ(
      projectFolders({in("code/app/src"), in("app"), in("code/app"), in("code/web/x")}, homes.home),
      (std::vector<std::string>{"app", "web"}));
}

TEST(AgentSessionsTest, HostileBytesInTheStoresGiveOnlyValidText) {
  // Each store in its own shape, with values of random bytes (ill-formed UTF-8, quotes, controls)
  // and, now and then, random bytes after the good lines.
  size_t sessions = 0;
  for (uint32_t seed = 0; seed < 40; ++seed) {
    SCOPED_TRACE(seed);
    test::RandomInput random(seed);
    auto value = [&] { return random.text(6); };
    AgentHome home;
    home.write(".claude/projects/p/s.jsonl", R"({"type":"ai-title","aiTitle":")" + value() +
                                                 "\"}\n{\"cwd\":\"/w/" + value() + "\"}\n" +
                                                 random.text(20));
    home.write(".codex/session_index.jsonl",
               R"({"id":"c","thread_name":")" + value() + "\"}\n" + random.text(20));
    home.write(".codex/sessions/rollout-c.jsonl",
               R"({"payload":{"id":"c","cwd":"/w/)" + value() + "\"}}\n" + random.text(20));
    const std::string workspace = ".config/Code/User/workspaceStorage/w/";
    home.write(workspace + "workspace.json", R"({"folder":"file:///w/)" + value() + "\"}");
    home.write(workspace + "chatSessions/c.json", R"({"customTitle":")" + value() + "\"}");
    for (const AgentSession& found : recent(home.path(), kSince, kNow)) {
      ++sessions;
      EXPECT_TRUE(text::isValidUtf8(found.title) && text::isValidUtf8(found.folder) &&
                  text::isValidUtf8(found.project))
          << found.title;
    }
  }
  EXPECT_GT(sessions, 40u);  // most values still parse: the checks above did run
}

}  // namespace
}  // namespace qb::AgentSessions
