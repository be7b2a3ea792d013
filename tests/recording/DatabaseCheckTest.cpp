#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

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

}  // namespace
}  // namespace qb::test
