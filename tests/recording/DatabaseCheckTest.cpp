#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "recording/DamagedFiles.h"
#include "recording/DatabaseCheck.h"
#include "recording/EventStore.h"
#include "support/TestSupport.h"

namespace qb::test {
namespace {

// Counts a connection's VM steps; past `limitAfter`, SQLite is left no memory to allocate.
struct Steps {
  int count = 0;
  int limitAfter = -1;  // never
  static int tick(void* self) {
    auto* steps = static_cast<Steps*>(self);
    if (++steps->count > steps->limitAfter && steps->limitAfter >= 0) sqlite3_hard_heap_limit64(1);
    return 0;
  }
};

// A badly damaged file can exhaust memory part of the way through its check; what the check named
// before that is damage all the same.
TEST(DatabaseCheckTest, ACheckThatNamesDamageAndThenRunsOutOfMemoryFindsTheFileDamaged) {
  TempDir dir;
  const auto path = dir / "events.sqlite";
  {
    EventStore log(path);
    for (int i = 0; i < 2000; ++i) {
      log.log(EventStore::Kind::work, i, "task " + std::to_string(i), Date::fromUnix(1e9 + i));
    }
  }
  std::filesystem::resize_file(path, std::filesystem::file_size(path) - 2048);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  Steps steps;
  sqlite3_progress_handler(db, 1, &Steps::tick, &steps);
  // The step at which the check names the damage, and goes on to check the index.
  sqlite3_stmt* check = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &check, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
  const std::string named = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
  ASSERT_NE(named, "ok");
  const int namedAt = steps.count;
  sqlite3_finalize(check);

  steps = Steps{.count = 0, .limitAfter = namedAt};
  std::string problem;
  const int result = database::quickCheck(db, problem);
  sqlite3_hard_heap_limit64(0);
  sqlite3_close(db);
  EXPECT_EQ(result, SQLITE_CORRUPT);
  EXPECT_FALSE(problem.empty());
  EXPECT_TRUE(named.ends_with(problem)) << problem;
}

// SQLite reads page 1 from the write-ahead log where a committed frame there holds it: that is the
// header judged, and a torn frame, which SQLite ignores, is not.
TEST(DatabaseCheckTest, TheHeaderJudgedIsTheOneSQLiteReadsFromTheWriteAheadLog) {
  TempDir dir;
  const auto source = dir / "source.sqlite";
  EventStore(source).log(EventStore::Kind::work, 60, "task", Date::fromUnix(1e9));
  const auto path = dir / "events.sqlite";
  const auto check = [&](const LoggedDatabase& logged, std::string& problem) {
    removeDatabase(path);
    writeFile(path, logged.database);
    writeFile(path.string() + "-wal", logged.log);
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const int result = database::quickCheck(db, problem);
    sqlite3_close(db);
    return result;
  };
  for (const auto& [offset, value, named] :
       {std::tuple{18, 3, "write version 3"}, std::tuple{59, 4, "text encoding 4"}}) {
    SCOPED_TRACE(named);
    std::string problem;
    EXPECT_EQ(check(withLoggedByte(source, offset, value), problem), SQLITE_CORRUPT);
    EXPECT_THAT(problem, ::testing::HasSubstr(named));
    EXPECT_EQ(check(withLoggedByte(source, offset, value, false), problem), SQLITE_OK) << problem;
  }
}

// SQLite refuses a request larger than it ever allocates without asking the system, so a size that
// a file claims fails every read of it as "out of memory" on any machine; an index whose
// expression fails so stands in for such a claim here. A heap limit that is reached is the
// machine's shortage all the same.
TEST(DatabaseCheckTest, OutOfMemoryIsTheFilesWithMemoryToSpareAndTheMachinesAtItsHeapLimit) {
  TempDir dir;
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((dir / "claims.sqlite").c_str(), &db), SQLITE_OK);
  const auto define = [db](void (*claim)(sqlite3_context*, int, sqlite3_value**)) {
    sqlite3_create_function(db, "claim", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, claim,
                            nullptr, nullptr);
  };
  define([](sqlite3_context* context, int, sqlite3_value** values) {
    sqlite3_result_value(context, values[0]);
  });
  ASSERT_EQ(sqlite3_exec(
                db, "CREATE TABLE t (x); INSERT INTO t VALUES (1); CREATE INDEX c ON t (claim(x))",
                nullptr, nullptr, nullptr),
            SQLITE_OK);
  define(
      [](sqlite3_context* context, int, sqlite3_value**) { sqlite3_result_error_nomem(context); });
  std::string problem;
  EXPECT_EQ(database::fullCheck(db, problem), SQLITE_CORRUPT);
  EXPECT_THAT(problem, ::testing::HasSubstr("out of memory"));

  sqlite3_hard_heap_limit64(1);
  const int limited = database::fullCheck(db, problem);
  sqlite3_hard_heap_limit64(0);
  sqlite3_close(db);
  EXPECT_EQ(limited, SQLITE_NOMEM) << problem;
}

}  // namespace
}  // namespace qb::test
