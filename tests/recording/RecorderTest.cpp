#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "recording/RecorderTestSupport.h"

namespace qb::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// name, type, not null, default, primary key: as PRAGMA table_info gives them, in column order.
using Column = std::tuple<std::string, std::string, int64_t, std::string, int64_t>;

std::vector<Column> columns(Reader& reader, const std::string& table) {
  std::vector<Column> out;
  for (const auto& row : reader.rows("PRAGMA table_info(" + table + ")")) {
    const auto* fallback = std::get_if<std::string>(&row[4].storage());
    out.emplace_back(std::get<std::string>(row[1].storage()),
                     std::get<std::string>(row[2].storage()), std::get<int64_t>(row[3].storage()),
                     fallback ? *fallback : "", std::get<int64_t>(row[5].storage()));
  }
  return out;
}

TEST_F(RecorderTest, CreatesEveryTableWithItsColumnsInOrder) {
  recorder();
  Reader reader(path_);
  auto plain = [](std::vector<std::string> names, std::vector<std::string> types,
                  std::vector<int64_t> notNull) {
    std::vector<Column> out;
    for (size_t i = 0; i < names.size(); ++i)
      out.emplace_back(names[i], types[i], notNull[i], "", 0);
    return out;
  };
  const std::string I = "INTEGER", R = "REAL", T = "TEXT";
  std::vector<Column> sessions =
      plain({"id", "started", "app_version", "model", "schema_revision", "analyzer", "policy", "os",
             "mac", "uid", "observation"},
            {I, R, T, T, T, T, T, T, T, T, I}, {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  std::get<4>(sessions[0]) = 1;
  std::vector<Column> moments = plain({"session",
                                       "id",
                                       "started",
                                       "ended",
                                       "app",
                                       "bundle_id",
                                       "title",
                                       "url",
                                       "host",
                                       "document",
                                       "browser",
                                       "tab",
                                       "cause",
                                       "read_ms",
                                       "idle",
                                       "full_screen",
                                       "frame",
                                       "displays",
                                       "keys",
                                       "clicks",
                                       "scrolls",
                                       "page_text",
                                       "focused_text",
                                       "text_ms",
                                       "excluded",
                                       "agent",
                                       "agent_task",
                                       "read_via",
                                       "app_category",
                                       "window_share",
                                       "agent_repository",
                                       "moves",
                                       "ticks",
                                       "media",
                                       "page_shape",
                                       "focused_role"},
                                      {I, I, R, R, T, T, T, T, T, T, T, T, T, R, R, I, T, I,
                                       I, I, I, T, T, R, I, T, T, T, T, T, I, I, T, I, T, T},
                                      {1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                       0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  std::get<3>(moments[24]) = "0";
  std::vector<Column> labels =
      plain({"id", "session", "moment", "started", "ended", "label", "source", "labeler",
             "confidence", "rationale", "prompt", "labelled_at", "answer"},
            {I, I, I, R, R, T, T, T, R, T, T, R, T}, {0, 1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0});
  std::get<4>(labels[0]) = 1;
  std::vector<Column> prompts =
      plain({"id", "session", "moment", "shown_at", "drift_start", "driver", "title", "line", "why",
             "outcome", "outcome_at", "followed_by"},
            {T, I, I, R, R, T, T, T, T, T, R, T}, {0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0});
  std::get<4>(prompts[0]) = 1;
  std::vector<Column> shared = plain({"name", "last"}, {T, I}, {0, 1});
  std::get<4>(shared[0]) = 1;
  const std::vector<std::pair<std::string, std::vector<Column>>> expected = {
      {"sessions", sessions},
      {"moments", moments},
      {"model_runs",
       plain({"session", "moment", "at", "pass", "task", "input", "context", "probabilities",
              "entities", "latency_ms", "cache_hit", "revision"},
             {I, I, R, T, T, T, T, T, T, R, I, T}, {1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 0})},
      {"decisions",
       plain({"session", "moment", "at", "mode", "learned", "terms", "drift", "cooldowns",
              "activity", "score", "about", "in_front", "decision", "reason"},
             {I, I, R, T, R, T, R, T, T, R, R, I, T, T},
             {1, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0})},
      {"switches", plain({"session", "moment", "at", "similarity", "activity", "score", "site",
                          "site_weight", "reading", "verdict", "work"},
                         {I, I, R, R, T, R, T, R, R, T, T}, {1, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0})},
      {"prompts", prompts},
      {"contexts", plain({"session", "at", "event", "summary", "terms", "titles"},
                         {I, R, T, T, T, T}, {1, 1, 1, 0, 0, 0})},
      {"labels", labels},
      {"retractions", plain({"session", "answer", "at"}, {I, T, R}, {0, 1, 1})},
      {"shared", shared},
      {"system",
       plain({"session", "at", "event", "moment", "detail"}, {I, R, T, I, T}, {1, 1, 1, 0, 0})},
  };
  for (const auto& [table, want] : expected) {
    SCOPED_TRACE(table);
    EXPECT_EQ(columns(reader, table), want);
  }
  EXPECT_EQ(reader.count("sqlite_master WHERE type = 'table'"), 11);
  std::vector<std::string> indexes;
  for (const auto& row : reader.rows("SELECT name FROM sqlite_master WHERE type = 'index' AND "
                                     "name NOT LIKE 'sqlite_%' ORDER BY name")) {
    indexes.push_back(std::get<std::string>(row[0].storage()));
  }
  EXPECT_THAT(indexes,
              ::testing::ElementsAre("decisions_moment", "labels_session", "model_runs_moment",
                                     "moments_id", "moments_open", "moments_started"));
  EXPECT_EQ(std::get<std::string>(reader.rows("PRAGMA journal_mode").at(0).at(0).storage()), "wal");
}

TEST_F(RecorderTest, OlderFileGainsTheAddedColumnsAndACurrentOneStaysAsItIs) {
  std::filesystem::create_directories(path_.parent_path());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TABLE sessions (id INTEGER PRIMARY KEY, started REAL NOT NULL, "
                         "app_version TEXT, model TEXT, schema_revision TEXT, analyzer TEXT, "
                         "policy TEXT, os TEXT, mac TEXT);"
                         "CREATE TABLE moments (session INTEGER NOT NULL, id INTEGER, started REAL "
                         "NOT NULL, ended REAL, app TEXT, bundle_id TEXT, title TEXT, url TEXT, "
                         "host TEXT, document TEXT, browser TEXT, tab TEXT, cause TEXT, read_ms "
                         "REAL, idle REAL, full_screen INTEGER, frame TEXT, displays INTEGER, keys "
                         "INTEGER, clicks INTEGER, scrolls INTEGER, page_text TEXT, focused_text "
                         "TEXT, text_ms REAL, excluded INTEGER NOT NULL DEFAULT 0);"
                         "INSERT INTO sessions (id, started) VALUES (7, 1.5);",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);

  recorder();
  close();
  Reader reader(path_);
  EXPECT_EQ(columns(reader, "moments").size(), 36u);
  EXPECT_EQ(std::get<0>(columns(reader, "moments").back()), "focused_role");
  EXPECT_EQ(columns(reader, "sessions").size(), 11u);
  EXPECT_EQ(reader.count("sessions WHERE id = 7"), 1);
  const auto schema = reader.rows("SELECT sql FROM sqlite_master ORDER BY name");

  recorder();
  close();
  EXPECT_EQ(reader.rows("SELECT sql FROM sqlite_master ORDER BY name"), schema);
}

TEST_F(RecorderTest, RefusesAFileThatIsNoRecordingAndLeavesItAsItWas) {
  std::filesystem::create_directories(path_.parent_path());
  struct Case {
    const char* name;
    std::string sql;    // makes a database when not empty
    std::string bytes;  // else the file's bytes
  };
  const Case cases[] = {
      {"garbage", "", std::string(4096, '\x5a')},
      {"a truncated database header", "", std::string("SQLite format 3\0", 16) + "\x10\x00"},
      {"another program's database",
       "CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('x')", ""},
      {"other moments",
       "CREATE TABLE sessions (id INTEGER PRIMARY KEY, started REAL NOT NULL, "
       "app_version TEXT, model TEXT, schema_revision TEXT, analyzer TEXT, policy "
       "TEXT, os TEXT, mac TEXT); CREATE TABLE moments (at REAL)",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(path_);
    if (c.sql.empty()) {
      writeFile(path_, c.bytes);
    } else {
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
      ASSERT_EQ(sqlite3_exec(db, c.sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
      sqlite3_close(db);
    }
    const std::string before = readFile(path_);
    LogCapture log;
    EXPECT_THAT([&] { recorder(); }, ThrowsError(Recorder::kErrorDomain, Recorder::kOpenFailedCode,
                                                 "Can't open " + path_.string()));
    EXPECT_EQ(readFile(path_), before);
    EXPECT_FALSE(std::filesystem::exists(path_.string() + "-wal"));
    EXPECT_FALSE(log.lines().empty());
  }
}

TEST_F(RecorderTest, CreatesItsMissingFolderAndRefusesAPathItCannotUse) {
  path_ = dir_ / "a" / "b" / "recording.sqlite";
  recorder();
  EXPECT_TRUE(std::filesystem::exists(path_));
  close();

  LogCapture log;
  writeFile(dir_ / "file", "x");
  path_ = dir_ / "file" / "recording.sqlite";
  EXPECT_THAT([&] { recorder(); },
              ThrowsError(Recorder::kErrorDomain, Recorder::kOpenFailedCode, "Can't open "));
  path_ = dir_ / "a";  // a folder
  EXPECT_THAT([&] { recorder(); },
              ThrowsError(Recorder::kErrorDomain, Recorder::kOpenFailedCode, "Can't open "));
}

TEST_F(RecorderTest, BatchIsWrittenFiveSecondsAfterItsFirstStatementOrAtOneHundred) {
  recorder().start(session());
  flush();
  Reader reader(path_);
  for (int i = 0; i < 99; ++i) recorder().system("sleep", std::nullopt, std::nullopt, Date{1001});
  ASSERT_TRUE(main_.awaitTask());  // the batch timer is being armed
  advance(Recorder::kBatchDelay - 0.1);
  EXPECT_EQ(reader.count("system"), 0);
  advance(0.1);
  EXPECT_TRUE(eventually(reader, "system", 99));

  for (int i = 0; i < 100; ++i) recorder().system("wake", std::nullopt, std::nullopt, Date{1002});
  EXPECT_TRUE(eventually(reader, "system", 199));  // the hundredth wrote all at once
  recorder().system("lock", std::nullopt, std::nullopt, Date{1003});
  ASSERT_TRUE(main_.awaitTask());  // the next statement waits for a timer of its own
  advance(Recorder::kBatchDelay);
  EXPECT_TRUE(eventually(reader, "system", 200));
}

TEST_F(RecorderTest, NothingIsWrittenWhileNoSessionIsCurrent) {
  recorder().system("launch", std::nullopt, std::nullopt, Date{1});
  recorder().begin(MomentRecord::excludedAt(Date{2}), {});
  flush();
  Reader reader(path_);
  EXPECT_EQ(reader.count("system"), 0);
  EXPECT_EQ(reader.count("moments"), 0);
  EXPECT_EQ(timers_.pending(), 0u);
}

TEST_F(RecorderTest, LockedFileKeepsTheBatchAndFlushSaysSoUntilItIsSaved) {
  recorder().start(session());
  flush();
  Reader other(path_);
  other.exec("BEGIN IMMEDIATE");
  LogCapture log;
  for (int i = 0; i < 3; ++i) recorder().system("wake", i, std::nullopt, Date{1001});
  EXPECT_THAT([&] { flush(); },
              ThrowsError(Recorder::kErrorDomain, Recorder::kNotSavedCode,
                          "3 recorded statements are not saved yet: database is locked"));
  EXPECT_FALSE(log.lines().empty());
  recorder().system("lock", 3, std::nullopt, Date{1002});  // queues behind the kept ones
  other.exec("ROLLBACK");
  flush();
  Reader reader(path_);
  EXPECT_EQ(reader.rows("SELECT moment FROM system ORDER BY rowid"),
            (std::vector<Reader::Row>{{SqlValue(0)}, {SqlValue(1)}, {SqlValue(2)}, {SqlValue(3)}}));
}

TEST_F(RecorderTest, RetriesAKeptBatchWhenItsTimerFires) {
  recorder().start(session());
  flush();
  Reader other(path_);
  other.exec("BEGIN IMMEDIATE");
  LogCapture log;
  recorder().system("wake", std::nullopt, std::nullopt, Date{1001});
  EXPECT_ANY_THROW(flush());
  other.exec("ROLLBACK");
  advance(Recorder::kBatchDelay);  // the first statement's timer
  advance(Recorder::kBatchDelay);  // the retry's, should the first have come before the failure
  Reader reader(path_);
  EXPECT_TRUE(eventually(reader, "system", 1));
}

TEST_F(RecorderTest, ReaderInTheMiddleOfATransactionDoesNotHoldUpTheWriter) {
  recorder().start(session());
  recorder().system("launch", std::nullopt, std::nullopt, Date{1000});
  flush();
  Reader reader(path_);
  reader.exec("BEGIN");
  EXPECT_EQ(reader.count("system"), 1);  // the read transaction now holds its snapshot
  for (int i = 0; i < 250; ++i) recorder().system("tick", i, std::nullopt, Date{1001});
  flush();
  EXPECT_EQ(reader.count("system"), 1);
  reader.exec("COMMIT");
  EXPECT_EQ(reader.count("system"), 251);
  EXPECT_EQ(reader.count("system WHERE moment IS NOT NULL AND moment >= 0 AND moment < 250"), 250);
}

TEST_F(RecorderTest, BadValuesAreStoredAsNullOrRepairedAndABadRowSpoilsNoOther) {
  recorder().start(session());
  MomentRecord record(Moment(1, Date{1000}, "App", "app", "Title"));
  record.idle = kNaN;
  record.readTime = kInfinity;
  record.title = std::string("caf\xC3") + "\xA9 \xFF" + "ok";
  record.document = std::string(SqlValue::kMaxTextBytes + 1, 'd');
  record.windowShare = std::vector<double>{0.5, kInfinity};
  LogCapture log;
  recorder().begin(record, {});
  recorder().begin(record, {});  // the same id again: refused by the unique index, alone
  MomentRecord nowhere(Moment(2, Date{kNaN}, "App", "app", "Never"));
  recorder().begin(nowhere, {});
  MomentRecord next(Moment(3, Date{1010}, "App", "app", "Next"));
  recorder().begin(next, {});
  flush();
  close();
  Reader reader(path_);
  EXPECT_EQ(reader.rows("SELECT id, idle, read_ms, title, document, window_share FROM moments "
                        "ORDER BY rowid"),
            (std::vector<Reader::Row>{
                {SqlValue(1), SqlValue(), SqlValue(), text("caf\xC3\xA9 \xEF\xBF\xBDok"),
                 SqlValue(), text("[0.5,null]")},
                {SqlValue(3), SqlValue(), SqlValue(), text("Next"), SqlValue(), SqlValue()}}));
  EXPECT_EQ(reader.count("moments WHERE ended IS NULL"), 1);
  EXPECT_GE(log.lines().size(), 3u);  // the long text, the repeated id, the time that is no number
}

TEST_F(RecorderTest, ClosingWritesWhatIsPendingAndALateTimerFindsNothing) {
  recorder().start(session());
  recorder().system("launch", std::nullopt, std::nullopt, Date{1000});
  ASSERT_TRUE(main_.awaitTask());
  main_.runAll();  // the batch timer is set
  close();
  EXPECT_EQ(timers_.pending(), 1u);
  advance(Recorder::kBatchDelay);  // fires into a recorder that is gone
  Reader reader(path_);
  EXPECT_EQ(reader.count("system"), 1);
}

TEST_F(RecorderTest, OperationsFromManyThreadsAreAllRecorded) {
  recorder().start(session());
  constexpr int kThreads = 4;
  constexpr int kEach = 150;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < kEach; ++i) {
        recorder_->system("tick", static_cast<uint64_t>(t * kEach + i), std::nullopt, Date{1001});
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  flush();
  Reader reader(path_);
  EXPECT_EQ(reader.count("system"), kThreads * kEach);
  EXPECT_EQ(reader.count("(SELECT DISTINCT moment FROM system)"), kThreads * kEach);
}

TEST(RecorderValuesTest, FrameIsFourWholeNumbersWithinBounds) {
  using Rect = MomentRecord::Rect;
  struct Case {
    Rect frame;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {{10.4, -19.6, 1440, 900}, "[10,-20,1440,900]"},
      {{2.5, -2.5, 0.5, -0.5}, "[3,-3,1,-1]"},
      {{0, 0, 999999999.4, 1}, "[0,0,999999999,1]"},
      {{0, 0, 1e9, 900}, std::nullopt},
      {{-1e9, 0, 1, 1}, std::nullopt},
      {{0, kNaN, 1, 1}, std::nullopt},
      {{0, 0, kInfinity, 1}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.frame.x << " " << c.frame.y << " " << c.frame.width);
    EXPECT_EQ(Recorder::frameJSON(c.frame), c.expected);
  }
}

}  // namespace
}  // namespace qb::test
