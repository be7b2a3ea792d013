#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "recording/DamagedFiles.h"
#include "recording/RecorderTestSupport.h"

namespace qb::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A table's columns as PRAGMA table_info gives them, in order: "name TYPE [NOT NULL] [DEFAULT x]
// [PK]", joined by ", ".
std::string columns(Reader& reader, const std::string& table) {
  std::string out;
  for (const auto& row : reader.rows("PRAGMA table_info(" + table + ")")) {
    out += (out.empty() ? "" : ", ") + std::get<std::string>(row[1].storage()) + " " +
           std::get<std::string>(row[2].storage());
    if (std::get<int64_t>(row[3].storage())) out += " NOT NULL";
    if (const auto* value = std::get_if<std::string>(&row[4].storage()))
      out += " DEFAULT " + *value;
    if (std::get<int64_t>(row[5].storage())) out += " PK";
  }
  return out;
}

// The two tables of a recording's first version, before the columns and indexes added since.
constexpr const char* kFirstSchema =
    "CREATE TABLE sessions (id INTEGER PRIMARY KEY, started REAL NOT NULL, app_version TEXT, "
    "model TEXT, schema_revision TEXT, analyzer TEXT, policy TEXT, os TEXT, mac TEXT);"
    "CREATE TABLE moments (session INTEGER NOT NULL, id INTEGER, started REAL NOT NULL, ended "
    "REAL, app TEXT, bundle_id TEXT, title TEXT, url TEXT, host TEXT, document TEXT, browser TEXT, "
    "tab TEXT, cause TEXT, read_ms REAL, idle REAL, full_screen INTEGER, frame TEXT, displays "
    "INTEGER, keys INTEGER, clicks INTEGER, scrolls INTEGER, page_text TEXT, focused_text TEXT, "
    "text_ms REAL, excluded INTEGER NOT NULL DEFAULT 0);";

void makeDatabase(const std::filesystem::path& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

TEST_F(RecorderTest, CreatesEveryTableWithItsColumnsInOrder) {
  flush();
  Reader reader(path_);
  const std::pair<const char*, const char*> expected[] = {
      {"sessions",
       "id INTEGER PK, started REAL NOT NULL, app_version TEXT, model TEXT, schema_revision TEXT, "
       "analyzer TEXT, policy TEXT, os TEXT, mac TEXT, uid TEXT, observation INTEGER"},
      {"moments",
       "session INTEGER NOT NULL, id INTEGER, started REAL NOT NULL, ended REAL, app TEXT, "
       "bundle_id TEXT, title TEXT, url TEXT, host TEXT, document TEXT, browser TEXT, tab TEXT, "
       "cause TEXT, read_ms REAL, idle REAL, full_screen INTEGER, frame TEXT, displays INTEGER, "
       "keys INTEGER, clicks INTEGER, scrolls INTEGER, page_text TEXT, focused_text TEXT, "
       "text_ms REAL, excluded INTEGER NOT NULL DEFAULT 0, agent TEXT, agent_task TEXT, "
       "read_via TEXT, app_category TEXT, window_share TEXT, agent_repository INTEGER, "
       "moves INTEGER, ticks TEXT, media INTEGER, page_shape TEXT, focused_role TEXT"},
      {"model_runs",
       "session INTEGER NOT NULL, moment INTEGER NOT NULL, at REAL NOT NULL, pass TEXT NOT NULL, "
       "task TEXT, input TEXT, context TEXT, probabilities TEXT, entities TEXT, latency_ms REAL, "
       "cache_hit INTEGER NOT NULL, revision TEXT"},
      {"decisions",
       "session INTEGER NOT NULL, moment INTEGER, at REAL NOT NULL, mode TEXT NOT NULL, "
       "learned REAL, terms TEXT, drift REAL, cooldowns TEXT, activity TEXT, score REAL, "
       "about REAL, in_front INTEGER, decision TEXT NOT NULL, reason TEXT"},
      {"switches",
       "session INTEGER NOT NULL, moment INTEGER, at REAL NOT NULL, similarity REAL, "
       "activity TEXT, score REAL, site TEXT, site_weight REAL, reading REAL, "
       "verdict TEXT NOT NULL, work TEXT"},
      {"prompts",
       "id TEXT PK, session INTEGER NOT NULL, moment INTEGER, shown_at REAL NOT NULL, "
       "drift_start REAL, driver TEXT, title TEXT, line TEXT, why TEXT, outcome TEXT, "
       "outcome_at REAL, followed_by TEXT"},
      {"contexts",
       "session INTEGER NOT NULL, at REAL NOT NULL, event TEXT NOT NULL, summary TEXT, "
       "terms TEXT, titles TEXT"},
      {"labels",
       "id INTEGER PK, session INTEGER NOT NULL, moment INTEGER, started REAL, ended REAL, "
       "label TEXT NOT NULL, source TEXT NOT NULL, labeler TEXT, confidence REAL, "
       "rationale TEXT, prompt TEXT, labelled_at REAL NOT NULL, answer TEXT"},
      {"retractions", "session INTEGER, answer TEXT NOT NULL, at REAL NOT NULL"},
      {"shared", "name TEXT PK, last INTEGER NOT NULL"},
      {"system",
       "session INTEGER NOT NULL, at REAL NOT NULL, event TEXT NOT NULL, moment INTEGER, "
       "detail TEXT"},
  };
  for (const auto& [table, want] : expected) {
    SCOPED_TRACE(table);
    EXPECT_EQ(columns(reader, table), want);
  }
  EXPECT_EQ(reader.count("sqlite_master WHERE type = 'table'"), 11);
  EXPECT_EQ(reader.rows("SELECT name FROM sqlite_master WHERE type = 'index' AND "
                        "name NOT LIKE 'sqlite_%' ORDER BY name"),
            (Rows{{text("decisions_moment")},
                  {text("labels_session")},
                  {text("model_runs_moment")},
                  {text("moments_id")},
                  {text("moments_open")},
                  {text("moments_started")}}));
  EXPECT_EQ(reader.rows("PRAGMA journal_mode"), (Rows{{text("wal")}}));
}

TEST_F(RecorderTest, OlderFileGainsTheAddedColumnsAndACurrentOneStaysAsItIs) {
  std::filesystem::create_directories(path_.parent_path());
  makeDatabase(path_,
               std::string(kFirstSchema) + "INSERT INTO sessions (id, started) VALUES (7, 1.5);");
  recorder();
  close();
  Reader reader(path_);
  EXPECT_THAT(columns(reader, "moments"),
              ::testing::EndsWith("text_ms REAL, excluded INTEGER NOT NULL DEFAULT 0, agent TEXT, "
                                  "agent_task TEXT, read_via TEXT, app_category TEXT, "
                                  "window_share TEXT, agent_repository INTEGER, moves INTEGER, "
                                  "ticks TEXT, media INTEGER, page_shape TEXT, focused_role TEXT"));
  EXPECT_THAT(columns(reader, "sessions"),
              ::testing::EndsWith("mac TEXT, uid TEXT, observation INTEGER"));
  EXPECT_EQ(reader.count("sessions WHERE id = 7"), 1);
  const auto schema = reader.rows("SELECT sql FROM sqlite_master ORDER BY name");
  recorder();
  close();
  EXPECT_EQ(reader.rows("SELECT sql FROM sqlite_master ORDER BY name"), schema);
}

TEST_F(RecorderTest, AFileThatIsNoRecordingIsSetAsideUntouchedAndANewOneBegins) {
  std::filesystem::create_directories(path_.parent_path());
  std::string noise(4096, '\0');
  std::mt19937 bytes(7);
  for (char& byte : noise) byte = static_cast<char>(bytes());
  const auto blank = dir_ / "blank.sqlite";
  writeFile(blank, "");
  recorder().start(session());
  recorder().begin(moment(1, 1000), {});
  recorder().label("work", 1, "user", std::nullopt, Date{1001});
  close();
  const auto own = dir_ / "own.sqlite";
  std::filesystem::rename(path_, own);
  const std::string recording = readFile(own);

  std::vector<std::pair<std::string, std::string>> cases = {
      {"random bytes", noise},
      {"text", "These are my notes, not a recording.\n"},
      {"a truncated database header", std::string("SQLite format 3\0", 16) + "\x10\x00"},
      {"another program's database",
       changedDatabase(blank, "CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('x')")},
      {"other moments",
       changedDatabase(blank,
                       "CREATE TABLE sessions (id INTEGER PRIMARY KEY, started REAL NOT NULL, "
                       "app_version TEXT, model TEXT, schema_revision TEXT, analyzer TEXT, policy "
                       "TEXT, os TEXT, mac TEXT); CREATE TABLE moments (at REAL)")},
      {"another program's index that SQLite cannot read",
       changedDatabase(own, "CREATE INDEX titles ON moments (title COLLATE reversed)")},
      {"an index that does not match its table",
       changedDatabase(own,
                       "PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = 'CREATE INDEX "
                       "moments_started ON moments (session, ended)' WHERE name = "
                       "'moments_started'")},
      {"labels of another shape",
       changedDatabase(own, "DROP TABLE labels; CREATE TABLE labels (note TEXT)")},
      // A column no index names: only the comparison of shapes finds it missing.
      {"a system table without its detail",
       changedDatabase(own, "ALTER TABLE system DROP COLUMN detail")},
      {"an older recording whose moments repeat an id, which the index made now refuses",
       changedDatabase(blank, std::string(kFirstSchema) +
                                  "INSERT INTO moments (session, id, started) VALUES (1, 5, 1), "
                                  "(1, 5, 2)")},
      {"a column the program never fills",
       changedDatabase(own,
                       "DROP TABLE system; CREATE TABLE system (session INTEGER NOT NULL, at REAL "
                       "NOT NULL, event TEXT NOT NULL, moment INTEGER, detail TEXT, origin TEXT "
                       "NOT NULL)")},
  };
  for (const HeaderDamage& damage : headerDamages()) {
    cases.emplace_back(damage.name, withByte(recording, damage.offset, damage.value));
  }
  const auto aside = path_.parent_path() / "recording-damaged-1.sqlite";
  for (const auto& [name, before] : cases) {
    SCOPED_TRACE(name);
    removeDatabase(aside);
    std::filesystem::remove(path_);
    writeFile(path_, before);
    LogCapture log;
    recorder().start(session());
    recorder().begin(moment(1, 1000), {});
    recorder().label("work", 1, "user", std::nullopt, Date{1001});
    system("launch", 1, 1002);
    EXPECT_EQ(count("moments"), 1);
    EXPECT_EQ(count("labels"), 1);
    EXPECT_EQ(count("system"), 1);
    close();
    EXPECT_EQ(readFile(aside), before);
    EXPECT_TRUE(logged(log, aside.string()));
  }
}

// A path the system will not let it use is no reason to throw: what is recorded waits, and what
// still waits at quit is said to be lost.
TEST_F(RecorderTest, CreatesItsMissingFolderAndKeepsWhatIsRecordedForAPathItCannotUse) {
  path_ = dir_ / "a" / "b" / "recording.sqlite";
  recorder();
  EXPECT_TRUE(std::filesystem::exists(path_));
  close();
  writeFile(dir_ / "file", "x");
  for (const auto& unusable : {dir_ / "file" / "recording.sqlite", dir_ / "a"}) {
    SCOPED_TRACE(unusable.string());
    path_ = unusable;
    waiting_.clear();
    LogCapture log;
    ASSERT_NO_THROW(recorder());
    recorder().start(session());
    system("launch");
    EXPECT_THAT([&] { flush(); }, ThrowsError(Recorder::kErrorDomain, Recorder::kNotSavedCode,
                                              "2 recorded statements are not saved yet: Can't "
                                              "open " +
                                                  unusable.string()));
    EXPECT_EQ(waiting(), std::vector<bool>{true});
    close();
    EXPECT_TRUE(logged(log, "2 statements could not be saved before closing and are lost"));
  }
}

TEST_F(RecorderTest, TheRecordingItsLogAndItsFolderAreTheUsersAlone) {
  // Closing them again when an earlier version left them open is the event log's test.
  UsualUmask usual;
  const auto folder = path_.parent_path();
  recorder().start(session());
  EXPECT_EQ(count("sessions"), 1);
  EXPECT_EQ(modeOf(folder), "700");
  for (const auto& file :
       {path_, folder / "recording.sqlite-wal", folder / "recording.sqlite-shm"}) {
    EXPECT_EQ(modeOf(file), "600") << file;
  }
}

TEST_F(RecorderTest, BatchIsWrittenFiveSecondsAfterItsFirstStatementOrAtOneHundred) {
  recorder().start(session());
  flush();
  Reader reader(path_);
  for (int i = 0; i < 99; ++i) system("sleep");
  ASSERT_TRUE(main_.awaitTask());  // the batch timer is being armed
  advance(Recorder::kBatchDelay - 0.1);
  EXPECT_EQ(reader.count("system"), 0);
  advance(0.1);
  EXPECT_TRUE(eventually(reader, "system", 99));

  for (int i = 0; i < 100; ++i) system("wake");
  EXPECT_TRUE(eventually(reader, "system", 199));  // the hundredth wrote all at once
  system("lock");
  ASSERT_TRUE(main_.awaitTask());  // the next statement waits for a timer of its own
  advance(Recorder::kBatchDelay);
  EXPECT_TRUE(eventually(reader, "system", 200));
}

TEST_F(RecorderTest, LockedFileKeepsTheBatchAndFlushSaysSoUntilItIsSaved) {
  recorder().start(session());
  flush();
  Reader other(path_);
  other.exec("BEGIN IMMEDIATE");
  LogCapture log;
  for (uint64_t i = 0; i < 3; ++i) system("wake", i);
  EXPECT_THAT(
      [&] { flush(); },
      ThrowsError(Recorder::kErrorDomain, Recorder::kNotSavedCode,
                  "3 recorded statements are not saved yet: " + path_.string() + " is busy"));
  EXPECT_FALSE(log.lines().empty());
  system("lock", 3);  // queues behind the kept ones
  other.exec("ROLLBACK");
  EXPECT_EQ(rows("SELECT moment FROM system ORDER BY rowid"),
            (Rows{{SqlValue(0)}, {SqlValue(1)}, {SqlValue(2)}, {SqlValue(3)}}));
}

TEST_F(RecorderTest, RetriesAKeptBatchWhenItsTimerFires) {
  recorder().start(session());
  flush();
  Reader other(path_);
  other.exec("BEGIN IMMEDIATE");
  LogCapture log;
  system("wake");
  ASSERT_TRUE(main_.awaitTask());  // the batch timer is being armed
  advance(Recorder::kBatchDelay);  // its write finds the file locked
  ASSERT_TRUE(main_.awaitTask());  // the retry timer is being armed
  other.exec("ROLLBACK");
  advance(Recorder::kBatchDelay);
  EXPECT_TRUE(eventually(other, "system", 1));
}

TEST_F(RecorderTest, ReaderInTheMiddleOfATransactionDoesNotHoldUpTheWriter) {
  recorder().start(session());
  system("launch");
  flush();
  Reader reader(path_);
  reader.exec("BEGIN");
  EXPECT_EQ(reader.count("system"), 1);  // the read transaction now holds its snapshot
  for (uint64_t i = 0; i < 250; ++i) system("tick", i);
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
  recorder().begin(MomentRecord(Moment(2, Date{kNaN}, "App", "app", "Never")), {});
  recorder().begin(MomentRecord(Moment(3, Date{1010}, "App", "app", "Next")), {});
  close();
  Reader reader(path_);
  EXPECT_EQ(reader.rows("SELECT id, idle, read_ms, title, document, window_share, ended IS NULL "
                        "FROM moments ORDER BY rowid"),
            (Rows{{SqlValue(1), SqlValue(), SqlValue(), text("caf\xC3\xA9 \xEF\xBF\xBDok"),
                   SqlValue(), text("[0.5,null]"), SqlValue(0)},
                  {SqlValue(3), SqlValue(), SqlValue(), text("Next"), SqlValue(), SqlValue(),
                   SqlValue(1)}}));
  EXPECT_GE(log.lines().size(), 3u);  // the long text, the repeated id, the time that is no number
}

TEST_F(RecorderTest, ClosingWritesWhatIsPendingAndALateTimerFindsNothing) {
  recorder().start(session());
  system("launch");
  ASSERT_TRUE(main_.awaitTask());
  main_.runAll();  // the batch timer is set
  close();
  EXPECT_EQ(timers_.pending(), 1u);
  advance(Recorder::kBatchDelay);  // fires into a recorder that is gone
  EXPECT_EQ(Reader(path_).count("system"), 1);
}

TEST_F(RecorderTest, OperationsFromManyThreadsAreAllRecorded) {
  recorder().start(session());
  constexpr int kThreads = 4;
  constexpr int kEach = 150;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < kEach; ++i) system("tick", static_cast<uint64_t>(t * kEach + i));
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(count("system"), kThreads * kEach);
  EXPECT_EQ(count("(SELECT DISTINCT moment FROM system)"), kThreads * kEach);
}

TEST(RecorderValuesTest, FrameIsFourWholeNumbersWithinBounds) {
  using Rect = MomentRecord::Rect;
  const std::pair<Rect, std::optional<std::string>> cases[] = {
      {{10.4, -19.6, 1440, 900}, "[10,-20,1440,900]"},
      {{2.5, -2.5, 0.5, -0.5}, "[3,-3,1,-1]"},
      {{0, 0, 999999999.4, 1}, "[0,0,999999999,1]"},
      {{0, 0, 1e9, 900}, std::nullopt},
      {{-1e9, 0, 1, 1}, std::nullopt},
      {{0, kNaN, 1, 1}, std::nullopt},
      {{0, 0, kInfinity, 1}, std::nullopt},
  };
  for (const auto& [frame, expected] : cases) {
    SCOPED_TRACE(testing::Message() << frame.x << " " << frame.y << " " << frame.width);
    EXPECT_EQ(Recorder::frameJSON(frame), expected);
  }
}

}  // namespace
}  // namespace qb::test
