#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

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

// quickCheck() on a database at `path` of `database` and, where they are not empty, the
// write-ahead log `log` and the rollback journal `journal` beside it.
int checkFiles(const std::filesystem::path& path, const std::string& database,
               const std::string& log, const std::string& journal, std::string& problem) {
  removeDatabase(path);
  writeFile(path, database);
  if (!log.empty()) writeFile(path.string() + "-wal", log);
  if (!journal.empty()) writeFile(path.string() + "-journal", journal);
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  const int result = database::quickCheck(db, problem);
  sqlite3_close(db);
  return result;
}

// SQLite reads page 1 from the write-ahead log where a committed frame there holds it: that is the
// header judged, and a frame that SQLite ignores (torn, not yet committed, or left of an earlier
// log, whose salts are not the log's) is not. A log that SQLite refuses to read fails every read
// of the file, as "unable to open database file": that is the file's damage. SQLite reads no
// further than the header of a log that holds nothing else, whatever format it names.
TEST(DatabaseCheckTest, TheHeaderJudgedIsTheOneSQLiteReadsFromTheWriteAheadLog) {
  TempDir dir;
  const auto source = dir / "source.sqlite";
  EventStore(source).log(EventStore::Kind::work, 60, "task", Date::fromUnix(1e9));
  const auto path = dir / "events.sqlite";
  const auto check = [&](const LoggedDatabase& logged, std::string& problem) {
    return checkFiles(path, logged.database, logged.log, "", problem);
  };
  for (const auto& [offset, value, named] :
       {std::tuple{18, 3, "write version 3"}, std::tuple{59, 4, "text encoding 4"}}) {
    SCOPED_TRACE(named);
    std::string problem;
    EXPECT_EQ(check(withLoggedByte(source, offset, value), problem), SQLITE_CORRUPT);
    EXPECT_THAT(problem, ::testing::HasSubstr(named));
    for (const auto& [ignored, how] :
         {std::pair{LoggedFrame::torn, "torn"}, std::pair{LoggedFrame::uncommitted, "uncommitted"},
          std::pair{LoggedFrame::ofAnotherLog, "of another log"}}) {
      SCOPED_TRACE(how);
      EXPECT_EQ(check(withLoggedByte(source, offset, value, ignored), problem), SQLITE_OK)
          << problem;
    }
  }

  LoggedDatabase refused = withLoggedByte(source, 18, 2);  // its own write version
  refused.log = withLogVersion(refused.log, 3007001);
  std::string problem;
  EXPECT_EQ(check(refused, problem), SQLITE_CORRUPT);
  EXPECT_THAT(problem, ::testing::HasSubstr("format version 3007001"));
  refused.log.resize(kLogHeaderBytes);
  EXPECT_EQ(check(refused, problem), SQLITE_OK) << problem;
}

// A journal that a writer left mid-transaction is hot: SQLite's first read, after the look at the
// header, copies the pages it holds back into the file, up to the first record whose checksum
// does not hold, the last copy of a page last. The header judged is the one it restores; a
// journal SQLite ignores leaves the file's own header to judge, and one of a database that was
// empty before the transaction empties the file, leaving no header at all.
TEST(DatabaseCheckTest, TheHeaderJudgedIsTheOneAHotJournalRestores) {
  TempDir dir;
  const auto source = dir / "source.sqlite";
  EventStore(source).log(EventStore::Kind::work, 60, "task", Date::fromUnix(1e9));
  const auto path = dir / "events.sqlite";
  const auto check = [&](const JournaledDatabase& journaled, std::string& problem) {
    return checkFiles(path, journaled.database, "", journaled.journal, problem);
  };
  for (const auto& [offset, value, named] :
       {std::tuple{18, 3, "write version 3"}, std::tuple{59, 4, "text encoding 4"},
        std::tuple{56, 1, "text encoding 16777217"}}) {
    SCOPED_TRACE(named);
    std::string problem;
    const JournaledDatabase damaged = withJournaledByte(source, offset, value);
    EXPECT_EQ(check(damaged, problem), SQLITE_CORRUPT);
    EXPECT_THAT(problem, ::testing::HasSubstr(named));
    for (const auto& [ignored, how] :
         {std::pair{JournaledPage::torn, "torn"}, std::pair{JournaledPage::cold, "cold"}}) {
      SCOPED_TRACE(how);
      EXPECT_EQ(check(withJournaledByte(source, offset, value, ignored), problem), SQLITE_OK)
          << problem;
    }
    // The file's own byte, which the journal's page 1 held before the change.
    const auto sound = static_cast<unsigned char>(damaged.database.at(offset));
    EXPECT_EQ(check(withLaterCopy(damaged, offset, sound), problem), SQLITE_OK) << problem;
    EXPECT_EQ(
        check(withLaterCopy(withJournaledByte(source, offset, sound), offset, value), problem),
        SQLITE_CORRUPT);
    EXPECT_THAT(problem, ::testing::HasSubstr(named));
  }
  std::string problem;
  EXPECT_EQ(check(withJournaledByte(source, 18, 1), problem), SQLITE_OK) << problem;

  // Both the file's header and the journal's page 1 damaged, neither read.
  JournaledDatabase emptied = withJournaledByte(source, 18, 3);
  emptied.database = withByte(emptied.database, 18, 3);
  emptied.journal =
      withJournalHeader(emptied.journal, 0, bigEndianAt(emptied.journal, kJournalPageBytesOffset));
  EXPECT_EQ(check(emptied, problem), SQLITE_OK) << problem;
}

// SQLite's rollback first cuts or grows the file to the size the journal names, then copies its
// pages back in the journal's page size. A journal SQLite could not have written for the file is
// the file's damage, judged before the rollback touches it: more pages than a database holds,
// which fail every read as "disk I/O error" where the file system takes no file that large, or
// pages of another size than the header the rollback leaves names. The file's own header may
// name another: a VACUUM to a new page size that ended mid-way leaves it so, and the journal's
// page 1 puts the old one back. A journal of a size the file system refuses, though SQLite could
// have written it, is the system's answer.
TEST(DatabaseCheckTest, AHotJournalSQLiteCouldNotHaveWrittenIsTheFilesDamage) {
  TempDir dir;
  const auto source = dir / "source.sqlite";
  EventStore(source).log(EventStore::Kind::work, 60, "task", Date::fromUnix(1e9));
  writeFile(dir / "blank.sqlite", "");
  const auto wide = dir / "wide.sqlite";
  writeFile(wide, changedDatabase(dir / "blank.sqlite",
                                  "PRAGMA page_size = 65536; CREATE TABLE t (x); "
                                  "INSERT INTO t VALUES (1)"));
  const auto path = dir / "events.sqlite";
  // The file and its journal stay as they were: SQLite did not roll back.
  const auto checkUntouched = [&](const JournaledDatabase& journaled, std::string& problem) {
    const int result = checkFiles(path, journaled.database, "", journaled.journal, problem);
    EXPECT_TRUE(readFile(path) == journaled.database) << "the file was rolled back";
    const std::filesystem::path journal = path.string() + "-journal";
    EXPECT_TRUE(std::filesystem::exists(journal) && readFile(journal) == journaled.journal)
        << "the journal was rolled back";
    return result;
  };
  constexpr uint32_t kMostPages = 0xfffffffe;  // the file format's largest page number
  constexpr uint32_t kWidePageBytes = 65536;

  std::string problem;
  JournaledDatabase longest = withJournaledByte(wide, 18, 1);
  longest.journal = withJournalHeader(longest.journal, kMostPages + 1, kWidePageBytes);
  EXPECT_EQ(checkUntouched(longest, problem), SQLITE_CORRUPT);
  EXPECT_THAT(problem, ::testing::HasSubstr("4294967295 pages"));
  // Where the file system takes a file that large, SQLite rolls such a journal back into a file
  // mostly holes, and the check would read it all: only a refusal is tried.
  const auto probe = dir / "probe";
  writeFile(probe, "");
  std::error_code tooLarge;
  std::filesystem::resize_file(probe, uint64_t{kMostPages} * kWidePageBytes, tooLarge);
  std::filesystem::remove(probe);
  if (tooLarge) {
    longest.journal = withJournalHeader(longest.journal, kMostPages, kWidePageBytes);
    const int refused = checkFiles(path, longest.database, "", longest.journal, problem);
    EXPECT_FALSE(database::isFileFault(refused, path)) << refused << ": " << problem;
  }

  JournaledDatabase narrower = withJournaledByte(source, 18, 1);
  narrower.journal =
      withJournalHeader(narrower.journal, bigEndianAt(narrower.journal, kJournalPagesOffset), 1024);
  EXPECT_EQ(checkUntouched(narrower, problem), SQLITE_CORRUPT);
  EXPECT_THAT(problem, ::testing::HasSubstr("pages of 1024 bytes"));

  JournaledDatabase vacuumed = withJournaledByte(source, 18, 1);
  vacuumed.database = withByte(vacuumed.database, 16, 8192 >> 8);
  EXPECT_EQ(checkFiles(path, vacuumed.database, "", vacuumed.journal, problem), SQLITE_OK)
      << problem;
}

// Defines claim() on `db` to fail as "out of memory", as SQLite fails a request larger than it
// ever allocates, without asking the system: an index on claim() then stands in for a size that
// a file claims, which fails every read of it so on any machine.
void claimOutOfMemory(sqlite3* db) {
  ASSERT_EQ(sqlite3_create_function(
                db, "claim", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                [](sqlite3_context* context, int, sqlite3_value**) {
                  sqlite3_result_error_nomem(context);
                },
                nullptr, nullptr),
            SQLITE_OK);
}

// A database at `path` with such an index.
void makeClaims(const std::filesystem::path& path) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  sqlite3_create_function(
      db, "claim", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
      [](sqlite3_context* context, int, sqlite3_value** values) {
        sqlite3_result_value(context, values[0]);
      },
      nullptr, nullptr);
  const int made = sqlite3_exec(
      db, "CREATE TABLE t (x); INSERT INTO t VALUES (1); CREATE INDEX c ON t (claim(x))", nullptr,
      nullptr, nullptr);
  sqlite3_close(db);
  ASSERT_EQ(made, SQLITE_OK);
}

constexpr const char* kClaimsVariable = "QB_DATABASE_CHECK_CLAIMS";
// Room for a check of a small file, and none for a request of a size that memory to spare holds.
constexpr uint64_t kHeadroomBytes = 4 << 20;

// The shortage test runs this in a process of its own; alone it does nothing. It limits its
// address space to a little more than it uses, checks the file of claims that the environment
// names, and exits with the check's answer.
TEST(DatabaseCheckChild, ChecksWithLittleAddressSpaceLeft) {
  const char* path = std::getenv(kClaimsVariable);
  if (path == nullptr) GTEST_SKIP() << "runs only as the shortage test's child";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path, &db), SQLITE_OK);
  ASSERT_NO_FATAL_FAILURE(claimOutOfMemory(db));
  std::ifstream statm("/proc/self/statm");
  uint64_t pages = 0;
  ASSERT_TRUE(statm >> pages);
  const auto limit =
      static_cast<rlim_t>(pages * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE)) + kHeadroomBytes);
  const rlimit space{limit, limit};
  ASSERT_EQ(::setrlimit(RLIMIT_AS, &space), 0) << std::strerror(errno);
  std::string problem;
  const int result = database::fullCheck(db, problem);
  // Out at once: nothing of the test's own teardown runs in a process this short.
  std::_Exit(result);
}

// An "out of memory" is the file's where the machine has memory to spare. Where it has none, it
// is the machine's: at SQLite's heap limit, or where the system gives the process no more (a
// child whose address space is limited).
TEST(DatabaseCheckTest, OutOfMemoryIsTheFilesWithMemoryToSpareAndTheMachinesWhereItIsShort) {
  TempDir dir;
  const auto path = dir / "claims.sqlite";
  ASSERT_NO_FATAL_FAILURE(makeClaims(path));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_NO_FATAL_FAILURE(claimOutOfMemory(db));
  std::string problem;
  EXPECT_EQ(database::fullCheck(db, problem), SQLITE_CORRUPT);
  EXPECT_THAT(problem, ::testing::HasSubstr("out of memory"));

  sqlite3_hard_heap_limit64(1);
  const int limited = database::fullCheck(db, problem);
  sqlite3_hard_heap_limit64(0);
  sqlite3_close(db);
  EXPECT_EQ(limited, SQLITE_NOMEM) << problem;

  // A sanitizer ends a process whose request the system refuses, unless told to answer nothing.
  std::vector<std::string> environment = {std::string(kClaimsVariable) + "=" + path.string()};
  for (const char* sanitizer : {"ASAN_OPTIONS", "TSAN_OPTIONS"}) {
    const char* options = std::getenv(sanitizer);
    environment.push_back(std::string(sanitizer) + "=" + (options ? options : "") +
                          ":allocator_may_return_null=1");
  }
  const auto [status, output] =
      runProgram({std::filesystem::read_symlink("/proc/self/exe").string(),
                  "--gtest_filter=DatabaseCheckChild.ChecksWithLittleAddressSpaceLeft"},
                 environment);
  EXPECT_EQ(status, SQLITE_NOMEM) << output;
}

}  // namespace
}  // namespace qb::test
