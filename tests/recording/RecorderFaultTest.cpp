// The recording when its file will not take what is recorded: read-only, locked, full, held by
// another program, or damaged.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/File.h"
#include "recording/DamagedFiles.h"
#include "recording/RecorderTestSupport.h"

namespace qb::test {
namespace {

// A moment id is any 64-bit number, stored as its bit pattern: this one reads back negative.
constexpr uint64_t kNegativeAsSigned = (uint64_t{1} << 63) + 1;

// Hears the start of every statement run on the connections opened while it lives, the
// recorder's own among them, on their threads.
class StatementWatch {
public:
  explicit StatementWatch(std::function<void(std::string_view sql)> heard) {
    std::lock_guard lock(mutex_);
    heard_ = std::move(heard);
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(&watch));
  }
  ~StatementWatch() {
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&watch));
    std::lock_guard lock(mutex_);
    heard_ = nullptr;  // a connection opened meanwhile goes on calling
  }
  StatementWatch(const StatementWatch&) = delete;
  StatementWatch& operator=(const StatementWatch&) = delete;

private:
  static int watch(sqlite3* db, const char**, const sqlite3_api_routines*) {
    sqlite3_trace_v2(
        db, SQLITE_TRACE_STMT,
        [](unsigned, void*, void*, void* sql) {
          std::lock_guard lock(mutex_);
          if (heard_) heard_(static_cast<const char*>(sql));
          return 0;
        },
        nullptr);
    return SQLITE_OK;
  }
  static inline std::mutex mutex_;
  static inline std::function<void(std::string_view)> heard_;
};

class RecorderFaultTest : public RecorderTest {
protected:
  RecorderFaultTest() {
    // The ordinary user that some cases record as must reach the recording's folder.
    std::filesystem::permissions(dir_.path(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
  }
  // A recording with one session in it, closed.
  void makeRecording() {
    recorder().start(session());
    flush();
    close();
  }
  // The recording as a version before the moments' last column left it.
  void makeOlder() { Reader(path_).exec("ALTER TABLE moments DROP COLUMN focused_role"); }
  void makeReadOnly() { std::filesystem::permissions(path_, std::filesystem::perms::owner_read); }
  // SQLite made the log and its index beside the read-only file with its mode; the user gives
  // them back theirs too.
  void makeWritable() {
    for (std::string_view kind : file::kDatabaseFiles) {
      const std::filesystem::path made = path_.string() + std::string(kind);
      if (std::filesystem::exists(made)) std::filesystem::permissions(made, file::kPrivateFile);
    }
  }
};

// Whatever the system refuses, the file is kept as it is, tried again from a new connection (the
// reason said once), and written once it takes writes; the app hears when the recording starts
// and stops waiting.
TEST_F(RecorderFaultTest, SessionTheFileRefusesAtItsStartIsKeptWithItsRowsAndFlushSaysSo) {
  struct Fault {
    const char* name;               // also its folder's
    bool beforeOpening;             // the recorder must meet it when it opens the file
    std::function<void()> hold;     // makes the file refuse writes
    std::function<void()> release;  // lets it take them again
  };
  std::unique_ptr<Reader> writer;
  std::unique_ptr<FileSizeLimit> full;
  const auto readOnly = [&] { makeReadOnly(); };
  const auto writable = [&] { makeWritable(); };
  const Fault faults[] = {
      {"read-only", true, readOnly, writable},
      // Its migration is refused: the system's doing, not the file's.
      {"read-only, from an older version", true,
       [&] {
         makeOlder();
         readOnly();
       },
       writable},
      // It cannot be kept to its user, nor opened.
      {"in a folder it cannot enter", true,
       [&] { std::filesystem::permissions(path_.parent_path(), std::filesystem::perms::none); },
       [&] { std::filesystem::permissions(path_.parent_path(), file::kPrivateFolder); }},
      {"locked past the busy wait", false,
       [&] {
         writer = std::make_unique<Reader>(path_);
         writer->exec("BEGIN IMMEDIATE");
       },
       [&] { writer.reset(); }},
      {"full", false, [&] { full = std::make_unique<FileSizeLimit>(0); }, [&] { full.reset(); }},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    path_ = dir_ / fault.name / "recording.sqlite";
    makeRecording();
    waiting_.clear();
    LogCapture log;
    {
      OrdinaryUser user(path_.parent_path());
      if (fault.beforeOpening) fault.hold();
      ASSERT_NO_THROW(recorder());
    }
    // Only the writes meet a fault that comes after opening: the file is checked by then.
    if (!fault.beforeOpening) {
      flush();
      EXPECT_TRUE(waiting().empty()) << "the first check is no wait";
      fault.hold();
    }
    recorder().start(session(2000));
    recorder().begin(moment(kNegativeAsSigned, 2000), {});
    system("launch", std::nullopt, 2000);
    EXPECT_THAT([&] { flush(); }, ThrowsError(Recorder::kErrorDomain, Recorder::kNotSavedCode,
                                              "3 recorded statements are not saved yet"));
    const auto said = log.lines();
    EXPECT_FALSE(said.empty());
    advance(Recorder::kBatchDelay);
    EXPECT_THAT([&] { flush(); },
                ThrowsError(Recorder::kErrorDomain, Recorder::kNotSavedCode, "not saved yet"));
    EXPECT_EQ(log.lines(), said) << "two more tries said it again";
    EXPECT_EQ(waiting(), std::vector<bool>{true});
    std::error_code unseen;  // run as an ordinary user, a folder it cannot enter hides it
    EXPECT_FALSE(
        std::filesystem::exists(path_.parent_path() / "recording-damaged-1.sqlite", unseen));

    fault.release();
    EXPECT_EQ(
        rows("SELECT s.id, m.id, y.event FROM sessions s JOIN moments m ON m.session = s.id "
             "JOIN system y ON y.session = s.id"),
        (Rows{{SqlValue(2), SqlValue(static_cast<int64_t>(kNegativeAsSigned)), text("launch")}}));
    EXPECT_EQ(count("pragma_table_info('moments') WHERE name = 'focused_role'"), 1);
    EXPECT_EQ(waiting(), (std::vector<bool>{true, false}));
    close();
    EXPECT_FALSE(std::filesystem::exists(path_.parent_path() / "recording-damaged-1.sqlite"));
    EXPECT_FALSE(logged(log, "are lost"));
  }
}

TEST_F(RecorderFaultTest, FileHeldByAnotherProgramIsCalledBusyAndRecordedIntoOnceFree) {
  makeRecording();
  auto holder = std::make_unique<Reader>(path_);
  holder->holdExclusively();
  LogCapture log;
  ASSERT_NO_THROW(recorder());
  close();
  EXPECT_FALSE(logged(log, "are lost")) << "nothing was recorded";
  recorder().start(session(2000));
  system("launch", std::nullopt, 2000);
  EXPECT_THAT([&] { flush(); },
              ThrowsError(Recorder::kErrorDomain, Recorder::kNotSavedCode, "is busy"));
  EXPECT_TRUE(logged(log, path_.string() + " is busy"));
  holder.reset();
  flush();  // the session's row and what was kept with it
  system("model load", std::nullopt, 2010);
  EXPECT_EQ(rows("SELECT s.id, y.event FROM sessions s JOIN system y ON y.session = s.id"),
            (Rows{{SqlValue(2), text("launch")}, {SqlValue(2), text("model load")}}));

  // Held again once checked: the tries meanwhile, each from a new connection, say why once and
  // do not read the unchanged file whole again.
  LogCapture again;
  std::atomic<int> checks = 0;
  StatementWatch watch([&](std::string_view sql) {
    if (sql.starts_with("PRAGMA integrity_check")) ++checks;
  });
  holder = std::make_unique<Reader>(path_);
  holder->exec("BEGIN IMMEDIATE");
  system("lock", std::nullopt, 2020);
  EXPECT_THROW(flush(), Error);
  advance(Recorder::kBatchDelay);
  EXPECT_THROW(flush(), Error);
  EXPECT_EQ(timesLogged(again, path_.string() + " is busy"), 1);
  EXPECT_EQ(checks, 0);
  // The other program writes before it lets go: the file is no longer as it was checked.
  holder->exec("INSERT INTO system (session, at, event) VALUES (2, 0, 'theirs'); COMMIT");
  holder.reset();
  EXPECT_EQ(count("system WHERE event = 'lock'"), 1);
  EXPECT_EQ(checks, 1);
}

// What a connection SQLite opened for reading only refuses is the system's refusal, though the file
// takes writes by the time it is weighed: the user made it writable while it was being migrated.
TEST_F(RecorderFaultTest, OlderRecordingMadeWritableWhileItsMigrationIsRefusedIsKept) {
  makeRecording();
  makeOlder();
  OrdinaryUser user(path_.parent_path());
  makeReadOnly();
  StatementWatch watch([&](std::string_view sql) {
    if (sql.starts_with("ALTER TABLE moments ADD COLUMN focused_role")) makeWritable();
  });
  recorder().start(session(2000));
  flush();
  EXPECT_FALSE(std::filesystem::exists(path_.parent_path() / "recording-damaged-1.sqlite"));
  EXPECT_EQ(count("sessions"), 2);
}

TEST_F(RecorderFaultTest, DamagedRecordingIsSetAsideUntouchedAndANewOneTakesItsPlace) {
  makeDamagedRecording();
  const std::string damaged = readFile(path_);
  const auto earlier = path_.parent_path() / "recording-damaged-1.sqlite";
  writeFile(earlier, "set aside before");

  LogCapture log;
  recorder().start(session(2000));
  recorder().begin(moment(1, 2000), {});
  flush();
  const auto aside = path_.parent_path() / "recording-damaged-2.sqlite";
  EXPECT_EQ(readFile(aside), damaged);
  EXPECT_EQ(readFile(earlier), "set aside before");
  EXPECT_TRUE(logged(log, path_.string() + " is damaged"));
  EXPECT_TRUE(logged(log, aside.string()));

  const auto folder = dir_ / "out";
  recorder().exportTo(folder).get();
  const std::string exported = readFile(folder / "moments.jsonl");
  EXPECT_EQ(std::count(exported.begin(), exported.end(), '\n'), 1) << exported;
  EXPECT_EQ(rows("SELECT session, id FROM moments"), (Rows{{SqlValue(1), SqlValue(1)}}));
  EXPECT_EQ(rows("PRAGMA integrity_check"), (Rows{{text("ok")}}));
  // Deleting the recording deletes what was set aside of it too, and nothing else beside it.
  const auto unrelated = path_.parent_path() / "recording-damaged-notes.txt";
  writeFile(unrelated, "the user's own");
  recorder().deleteAll().get();
  EXPECT_EQ(count("moments"), 0);
  EXPECT_FALSE(std::filesystem::exists(aside));
  EXPECT_FALSE(std::filesystem::exists(earlier));
  EXPECT_EQ(readFile(unrelated), "the user's own");
}

// A file damaged where no test planned is either taken as it is or set aside untouched; either
// way what is recorded next is saved, and reads back.
TEST_F(RecorderFaultTest, AFileDamagedAtRandomIsUsedOrSetAsideAndWhatIsRecordedIsSaved) {
  constexpr int kRounds = 100;
  recorder().start(session());
  for (uint64_t id = 1; id <= 300; ++id) {
    recorder().begin(moment(id, 1000 + static_cast<double>(id), "Page " + std::to_string(id)), {});
    if (id % 10 == 0) recorder().label("work", id, "user", std::nullopt, Date{1000.0 + id});
    system("wake", id, 1000 + static_cast<double>(id));
  }
  close();
  useDamagedAtRandom(readFile(path_), path_, path_.parent_path() / "recording-damaged-1.sqlite",
                     kRounds, [&](const std::string&) {
                       recorder().start(session(5000));
                       recorder().begin(moment(9001, 5000), {});
                       ASSERT_NO_THROW(flush());
                       close();
                       EXPECT_EQ(Reader(path_).count("moments WHERE id = 9001"), 1);
                     });
}

}  // namespace
}  // namespace qb::test
