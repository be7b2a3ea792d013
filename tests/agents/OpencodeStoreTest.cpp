#include <sqlite3.h>

#include <cmath>

#include "agents/AgentHome.h"
#include "agents/SessionStores.h"

namespace qb::AgentSessions {
namespace {

using test::AgentHome;
using test::kNow;
using test::kSince;

constexpr const char* kDatabase = ".local/share/opencode/opencode.db";

// A database in the tool's shape, filled by SQL; closed with the value.
class OpencodeDatabase {
public:
  explicit OpencodeDatabase(const AgentHome& home) {
    std::filesystem::create_directories((home / kDatabase).parent_path());
    if (sqlite3_open((home / kDatabase).c_str(), &db_) != SQLITE_OK)
      throw std::runtime_error("open");
    run("CREATE TABLE session (id TEXT PRIMARY KEY, parent_id TEXT, directory TEXT, title TEXT, "
        "time_updated INTEGER, time_archived INTEGER);"
        "CREATE TABLE message (id TEXT PRIMARY KEY, session_id TEXT, time_created INTEGER, "
        "data TEXT)");
  }
  ~OpencodeDatabase() { sqlite3_close(db_); }

  void run(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
      throw std::runtime_error(sqlite3_errmsg(db_));
    }
  }
  // A top-level session updated at `updated`, with its messages' data, oldest first.
  void session(const std::string& id, const std::string& title, Date updated,
               const std::vector<std::string>& messages = {}, const char* more = "NULL, NULL") {
    run("INSERT INTO session (id, parent_id, time_archived, directory, title, time_updated) "
        "VALUES ('" +
        id + "', " + more + ", '/w/" + id + "', '" + title + "', " +
        std::to_string(std::llround(updated.unixTime() * 1000)) + ")");
    for (size_t i = 0; i < messages.size(); ++i) {
      run("INSERT INTO message VALUES ('" + id + std::to_string(i) + "', '" + id + "', " +
          std::to_string(i) + ", '" + messages[i] + "')");
    }
  }

private:
  sqlite3* db_ = nullptr;
};

TEST(OpencodeStoreTest, BusyWhileTheNewestMessageAwaitsAnAnswerAndTheSessionIsRecent) {
  struct Case {
    const char* name;
    std::vector<std::string> messages;
    Duration age;
    bool busy;
  };
  const std::string answered = R"({"role":"assistant","time":{"completed":1}})";
  for (const Case& c : std::vector<Case>{
           {"the user's, 10 s ago", {answered, R"({"role":"user"})"}, 10, true},
           {"the user's, 10 min ago", {R"({"role":"user"})"}, 600, false},
           {"the user's, just under the window", {R"({"role":"user"})"}, 599, true},
           {"an unfinished answer", {R"({"role":"user"})", R"({"role":"assistant"})"}, 10, true},
           {"a finished answer", {R"({"role":"user"})", answered}, 10, false},
           {"no messages", {}, 10, false},
       }) {
    SCOPED_TRACE(c.name);
    AgentHome home;
    OpencodeDatabase db(home);
    db.session("s", "Fix parser", kNow - c.age, c.messages);
    EXPECT_EQ(opencode(home.path(), kSince, kNow),
              (std::vector{AgentSession("opencode", "/w/s", "Fix parser", kNow - c.age, c.busy)}));
  }
}

TEST(OpencodeStoreTest, ReadsTheNewestTopLevelSessionsBeforeLeavingOutUntitledOnes) {
  AgentHome home;
  OpencodeDatabase db(home);
  db.session("new", "New session - 2023-11-14", kNow);
  db.session("child", "Subtask", kNow, {}, "'parent', NULL");
  db.session("archived", "Done", kNow, {}, "NULL, 1");
  db.session("old", "Old", kSince - 1);
  db.session("at", "At the window", kSince);
  for (int i = 1; i < kMaxOpencodeRows; ++i) {
    db.session("s" + std::to_string(i), "Task", kNow - i);
  }
  const auto sessions = opencode(home.path(), kSince, kNow);
  // The untitled session took one of the rows, so the session at the window's start is not read.
  ASSERT_EQ(sessions.size(), static_cast<size_t>(kMaxOpencodeRows - 1));
  EXPECT_EQ(sessions.front().folder, "/w/s1");
  EXPECT_EQ(sessions.back().folder, "/w/s" + std::to_string(kMaxOpencodeRows - 1));
}

TEST(OpencodeStoreTest, ADatabaseThatCannotBeReadGivesNoSessions) {
  AgentHome home;
  EXPECT_TRUE(opencode(home.path(), kSince, kNow).empty());

  home.write(kDatabase, "not a database, only text");
  EXPECT_TRUE(opencode(home.path(), kSince, kNow).empty());

  std::filesystem::remove(home / kDatabase);
  OpencodeDatabase db(home);
  db.session("s", "Fix parser", kNow);
  db.run("BEGIN EXCLUSIVE");
  EXPECT_TRUE(opencode(home.path(), kSince, kNow).empty());
  db.run("COMMIT");
  EXPECT_EQ(opencode(home.path(), kSince, kNow).size(), 1u);
}

}  // namespace
}  // namespace qb::AgentSessions
