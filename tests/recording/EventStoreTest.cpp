#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <clocale>
#include <filesystem>
#include <functional>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "recording/DamagedFiles.h"
#include "recording/EventStore.h"
#include "recording/RecorderTestSupport.h"
#include "support/CivilTime.h"

namespace qb::test {
namespace {

using Kind = EventStore::Kind;
using Event = EventStore::Event;
using civil::utc;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

const Date nine = utc(2026, 6, 15, 9, 0);

class EventStoreTest : public ::testing::Test {
protected:
  std::filesystem::path path() const { return dir / "events.sqlite"; }
  EventStore& store() {
    if (!store_) store_.emplace(path());
    return *store_;
  }
  std::vector<Event> all() { return store().events(Date::fromUnix(0)); }
  std::vector<Date> times() {
    std::vector<Date> out;
    for (const Event& event : all()) out.push_back(event.at);
    return out;
  }

  TempDir dir;
  std::optional<EventStore> store_;
};

TEST_F(EventStoreTest, RawValuesAreTheStoredWordsAndOnlyThoseParse) {
  const std::vector<std::pair<Kind, std::string>> words = {
      {Kind::prompt, "prompt"},    {Kind::back, "back"},           {Kind::related, "related"},
      {Kind::breakTaken, "break"}, {Kind::dismissed, "dismissed"}, {Kind::work, "work"},
      {Kind::detour, "detour"},    {Kind::switched, "switched"},   {Kind::away, "away"},
      {Kind::paused, "paused"}};
  for (const auto& [kind, word] : words) {
    SCOPED_TRACE(word);
    EXPECT_EQ(EventStore::rawValue(kind), word);
    EXPECT_EQ(EventStore::parseKind(word), kind);
  }
  for (const char* other : {"", "Break", "breakTaken", "dismiss", "work ", "prompts"}) {
    SCOPED_TRACE(other);
    EXPECT_EQ(EventStore::parseKind(other), std::nullopt);
  }
}

TEST_F(EventStoreTest, EventsComeBackInTimeOrderWithTheirLabelsFromSinceOn) {
  EXPECT_TRUE(all().empty());
  EXPECT_EQ(store().recap(nine), EventStore::Recap());

  store().log(Kind::work, 600, "Plan review", nine + 600);
  store().log(Kind::prompt, 1, std::nullopt, nine + 60);
  store().log(Kind::switched, 1, "", nine + 300);
  store().log(Kind::breakTaken, 900, std::nullopt, nine - 1);
  store().log(Kind::work, 60, "Caf\xC3 notes", nine + 900);

  EXPECT_EQ(store().events(nine),
            (std::vector<Event>{{nine + 60, Kind::prompt, 1, std::nullopt},
                                {nine + 300, Kind::switched, 1, ""},
                                {nine + 600, Kind::work, 600, "Plan review"},
                                {nine + 900, Kind::work, 60, "Caf\uFFFD notes"}}));
  EXPECT_EQ(store().events(nine - 1).front(), (Event{nine - 1, Kind::breakTaken, 900, {}}));
  EXPECT_EQ(Reader(path()).count("events WHERE label IS NULL"), 2);

  // Another connection sees every event at once: each statement commits by itself.
  Reader reader(path());
  EXPECT_EQ(reader.count("events"), 5);
  EXPECT_EQ(reader.rows("PRAGMA journal_mode"), (Rows{{text("wal")}}));
}

TEST_F(EventStoreTest, RecapCountsFromSinceInclusiveAndSumsOnlyWork) {
  store().log(Kind::prompt, 1, std::nullopt, nine - 1);
  store().log(Kind::prompt, 1, std::nullopt, nine);
  store().log(Kind::related, 1, std::nullopt, nine + 10);
  store().log(Kind::related, 1, std::nullopt, nine + 20);
  store().log(Kind::back, 1, std::nullopt, nine + 30);
  store().log(Kind::work, 300, "A", nine + 40);
  store().log(Kind::work, 120.5, "B", nine + 50);
  for (Kind other : {Kind::detour, Kind::away, Kind::paused, Kind::breakTaken}) {
    store().log(other, 1000, std::nullopt, nine + 60);
  }
  Reader(path()).exec("INSERT INTO events (ts, kind, value) VALUES (" +
                      std::to_string(long((nine + 70).unixTime())) + ", 'dismiss', 1)");

  EXPECT_EQ(store().recap(nine),
            (EventStore::Recap{.prompts = 1, .back = 1, .corrections = 2, .workSeconds = 420.5}));
  // The row of no known kind is skipped by the reader too.
  EXPECT_EQ(store().events(nine).size(), 10u);
}

TEST_F(EventStoreTest, PruneKeepsTheEventAtTheCutoffInAnyLocale) {
  // A decimal-comma locale, where a cutoff formatted into the SQL would read "…,5".
  const std::string before = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "de_DE.utf8");
  const Date now = nine + 0.5;
  const Date cutoff = now - 2 * EventStore::kSecondsPerDay;
  for (Date at : {cutoff - 0.25, cutoff, cutoff + 0.25, now, now + 1}) {
    store().log(Kind::work, 1, "A", at);
  }
  store().prune(2, now);
  EXPECT_EQ(times(), (std::vector<Date>{cutoff, cutoff + 0.25, now, now + 1}));

  store().prune(0, now);
  EXPECT_EQ(times(), (std::vector<Date>{now, now + 1}));
  std::setlocale(LC_ALL, before.c_str());

  // A time that is no number has no cutoff: nothing goes.
  store().prune(0, Date::fromReference(kNaN));
  store().prune(0, Date::fromReference(-kInfinity));
  EXPECT_EQ(times().size(), 2u);
}

TEST_F(EventStoreTest, DeleteAllEmptiesTheLogWhichStaysUsable) {
  store().log(Kind::prompt, 1, std::nullopt, nine);
  store().log(Kind::work, 60, "A", nine + 60);
  store().deleteAll();
  EXPECT_TRUE(all().empty());
  store().log(Kind::back, 1, std::nullopt, nine + 120);
  EXPECT_EQ(all(), (std::vector<Event>{{nine + 120, Kind::back, 1, std::nullopt}}));
}

TEST_F(EventStoreTest, NonFiniteNumbersAreRefusedSoEveryStoredRowReadsBack) {
  store().log(Kind::work, 60, "before", nine);
  for (double bad : {kNaN, kInfinity, -kInfinity}) {
    SCOPED_TRACE(bad);
    store().log(Kind::work, bad, "bad value", nine + 1);
    store().log(Kind::prompt, 1, std::nullopt, Date::fromReference(bad));
  }
  store().log(Kind::work, 60, "after", nine + 2);
  EXPECT_EQ(Reader(path()).count("events"), 2);
  EXPECT_EQ(store().recap(nine).workSeconds, 120);

  // Rows that another build let through are skipped, not read as numbers they are not.
  Reader(path()).exec("INSERT INTO events (ts, kind, value) VALUES (" +
                      std::to_string(long((nine + 3).unixTime())) + ", 'work', 9e999)");
  Reader(path()).exec("INSERT INTO events (ts, kind, value) VALUES ('soon', 'work', 1)");
  const auto events = all();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].label, "after");
}

TEST_F(EventStoreTest, OpeningCreatesMissingFoldersAndReopensTheSameLog) {
  const auto nested = dir / "a" / "b" / "events.sqlite";
  {
    EventStore created(nested);
    created.log(Kind::away, 300, std::nullopt, nine);
  }
  EventStore reopened(nested);
  EXPECT_EQ(reopened.events(nine), (std::vector<Event>{{nine, Kind::away, 300, std::nullopt}}));

  // A file is in the way of the folder.
  writeFile(dir / "file", "x");
  EXPECT_THAT([&] { EventStore blocked(dir / "file" / "events.sqlite"); },
              ::testing::Throws<Error>(::testing::Property(
                  &Error::domain, std::string(EventStore::kFolderErrorDomain))));
}

TEST_F(EventStoreTest, TheLogIsItsUsersAloneAndAnEarlierVersionsOpenOneIsClosed) {
  UsualUmask usual;
  const auto folder = dir / "Quillbrook";
  const auto log = folder / "events.sqlite";
  const auto files = {log, folder / "events.sqlite-wal", folder / "events.sqlite-shm"};
  EventStore earlier(log);
  earlier.log(Kind::away, 300, std::nullopt, nine);
  EXPECT_EQ(modeOf(folder), "700");
  for (const auto& file : files) EXPECT_EQ(modeOf(file), "600") << file;

  // Left open to all, with its write-ahead log still beside it, as an earlier version left them.
  std::filesystem::permissions(folder, std::filesystem::perms(0755));
  for (const auto& file : files) std::filesystem::permissions(file, std::filesystem::perms(0644));
  EventStore reopened(log);
  EXPECT_EQ(modeOf(folder), "700");
  for (const auto& file : files) EXPECT_EQ(modeOf(file), "600") << file;
  EXPECT_EQ(reopened.events(nine).size(), 1u);
}

TEST_F(EventStoreTest, AnOlderFileOrAnotherProgramsTableIsUsedAndKeepsItsRows) {
  const std::pair<const char*, const char*> tables[] = {
      {"an older file, without the label",
       "CREATE TABLE events (ts REAL NOT NULL, kind TEXT NOT NULL, value REAL NOT NULL DEFAULT 1)"},
      {"another program's, with a column of its own that has a default",
       "CREATE TABLE events (ts REAL NOT NULL, kind TEXT NOT NULL, value REAL NOT NULL DEFAULT 1, "
       "label TEXT, device TEXT NOT NULL DEFAULT 'desk')"},
  };
  for (const auto& [name, table] : tables) {
    SCOPED_TRACE(name);
    store_.reset();
    removeDatabase(path());
    Reader(path()).exec(std::string(table) + "; INSERT INTO events (ts, kind) VALUES (" +
                        std::to_string(long(nine.unixTime())) + ", 'back')");
    store().log(Kind::work, 60, "A", nine + 1);
    EXPECT_EQ(all(), (std::vector<Event>{{nine, Kind::back, 1, std::nullopt},
                                         {nine + 1, Kind::work, 60, "A"}}));
  }
}

TEST_F(EventStoreTest, AFileThatCannotBeUsedIsSetAsideUntouchedAndANewLogBegins) {
  // A real log of a few pages, to cut short.
  {
    EventStore source(dir / "source.sqlite");
    for (int i = 0; i < 2000; ++i) {
      source.log(Kind::work, i, "task number " + std::to_string(i), nine + i);
    }
  }
  Reader(dir / "source.sqlite").exec("PRAGMA wal_checkpoint(TRUNCATE)");
  const std::string database = readFile(dir / "source.sqlite");
  ASSERT_GT(database.size(), 16384u);
  std::string noise(4096, '\0');
  std::mt19937 bytes(11);
  for (char& byte : noise) byte = static_cast<char>(bytes());

  writeFile(dir / "blank.sqlite", "");
  struct File {
    std::string name, content;
    std::string log = {};      // its write-ahead log, where it has one
    std::string journal = {};  // its rollback journal, where it has one
  };
  std::vector<File> files = {
      {"text", "These are my notes, not a database.\n"},
      {"random bytes", noise},
      {"cut mid-file", database.substr(0, database.size() / 2)},
      {"an index that SQLite cannot read",
       changedDatabase(dir / "source.sqlite",
                       "CREATE INDEX kinds ON events (kind COLLATE reversed)")},
      {"an index that does not match its table",
       changedDatabase(dir / "source.sqlite",
                       "PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = 'CREATE INDEX "
                       "events_ts ON events (value)' WHERE name = 'events_ts'")},
      {"events of other columns",
       changedDatabase(dir / "blank.sqlite", "CREATE TABLE events (a, b)")},
      {"a column the program never fills",
       changedDatabase(dir / "blank.sqlite",
                       "CREATE TABLE events (ts REAL NOT NULL, kind TEXT NOT NULL, value REAL NOT "
                       "NULL DEFAULT 1, label TEXT, device TEXT NOT NULL)")},
      {"events without the value, which no index names",
       changedDatabase(dir / "blank.sqlite",
                       "CREATE TABLE events (ts REAL NOT NULL, kind TEXT NOT NULL, label TEXT)")},
  };
  for (const HeaderDamage& damage : headerDamages()) {
    files.push_back({damage.name, withByte(database, damage.offset, damage.value)});
    LoggedDatabase logged = withLoggedByte(dir / "source.sqlite", damage.offset, damage.value);
    files.push_back({std::string(damage.name) + ", in the write-ahead log",
                     std::move(logged.database), std::move(logged.log)});
    // A schema format SQLite names itself, once its first read has rolled the journal back into
    // the file: the journal is gone by then, and the file set aside is the one rolled back.
    if (std::string_view(damage.name) == "schema format 5") continue;
    JournaledDatabase journaled =
        withJournaledByte(dir / "source.sqlite", damage.offset, damage.value);
    files.push_back({std::string(damage.name) + ", in a journal SQLite rolls back",
                     std::move(journaled.database), "", std::move(journaled.journal)});
  }
  LoggedDatabase unreadable =
      withLoggedByte(dir / "source.sqlite", 18, 2);  // its own write version
  files.push_back({"a write-ahead log of a format SQLite refuses", std::move(unreadable.database),
                   withLogVersion(unreadable.log, 3007001)});
  JournaledDatabase unplayable = withJournaledByte(dir / "source.sqlite", 18, 1);
  files.push_back({"a hot journal of more pages than a database holds, of another size",
                   std::move(unplayable.database), "",
                   withJournalHeader(unplayable.journal, 0xffffffff, 65536)});
  const auto aside = dir / "events-damaged-1.sqlite";
  ManualExecutor main;
  ManualTimers timers;
  for (const File& file : files) {
    // Opened at once, and as the program opens it: checked on a thread of its own.
    for (const bool checking : {false, true}) {
      SCOPED_TRACE(file.name + (checking ? ", checked on its own thread" : ""));
      removeDatabase(path());
      writeFile(path(), file.content);
      if (!file.log.empty()) writeFile(path().string() + "-wal", file.log);
      if (!file.journal.empty()) writeFile(path().string() + "-journal", file.journal);
      LogCapture log;
      auto opened = checking ? std::make_unique<EventStore>(path(), main, timers, nullptr)
                             : std::make_unique<EventStore>(path());
      opened->log(Kind::back, 1, std::nullopt, nine);
      if (checking) {
        ASSERT_TRUE(main.awaitTask());
        main.runAll();
      }
      EXPECT_EQ(opened->events(nine), (std::vector<Event>{{nine, Kind::back, 1, std::nullopt}}));
      EXPECT_EQ(readFile(aside), file.content);
      if (!file.log.empty()) {
        EXPECT_EQ(readFile(aside.string() + "-wal"), file.log);
      }
      if (!file.journal.empty()) {
        EXPECT_EQ(readFile(aside.string() + "-journal"), file.journal);
      }
      EXPECT_FALSE(log.lines().empty());
      // Deleting the log deletes what was set aside of it.
      opened->deleteAll();
      EXPECT_FALSE(std::filesystem::exists(aside));
    }
  }

  std::filesystem::create_directory(dir / "folder.sqlite");
  EXPECT_THAT([&] { EventStore refused(dir / "folder.sqlite"); },
              ThrowsError(EventStore::kErrorDomain, EventStore::kOpenCode, "Can't open "));
}

// A log damaged where no test planned is either taken as it is or set aside untouched; either way
// what is logged next is kept and reads back.
TEST_F(EventStoreTest, AFileDamagedAtRandomIsUsedOrSetAsideAndWhatIsLoggedIsKept) {
  constexpr int kRounds = 100;
  {
    EventStore source(dir / "source.sqlite");
    for (int i = 0; i < 2000; ++i) {
      source.log(Kind::work, i, "task number " + std::to_string(i), nine + i);
    }
  }
  useDamagedAtRandom(readFile(dir / "source.sqlite"), path(), dir / "events-damaged-1.sqlite",
                     kRounds, [&](const std::string&) {
                       const Date later = nine + 5000;
                       ASSERT_NO_THROW(store().log(Kind::back, 1, std::nullopt, later));
                       // Among the events the damage itself may have moved to that time.
                       EXPECT_THAT(store().events(later),
                                   ::testing::Contains(Event{later, Kind::back, 1, std::nullopt}));
                       store_.reset();
                     });
}

// The program's own store checks its file on a thread of its own: nothing logged meanwhile is
// lost, and it reads back at once.
TEST_F(EventStoreTest, WhatIsLoggedWhileTheFileIsCheckedIsKeptAndWrittenOnceItIsSound) {
  ManualExecutor main;
  ManualTimers timers;
  const auto open = [&](int& used) {
    return std::make_unique<EventStore>(path(), main, timers, [&used] { ++used; });
  };
  {
    EventStore earlier(path());
    earlier.log(Kind::work, 60, "old", nine - 3 * EventStore::kSecondsPerDay);
    earlier.log(Kind::work, 30, "kept", nine - EventStore::kSecondsPerDay);
  }
  int used = 0;
  auto checking = open(used);
  checking->log(Kind::prompt, 1, std::nullopt, nine + 2);
  checking->log(Kind::back, 1, std::nullopt, nine + 1);
  checking->prune(2, nine);
  EXPECT_EQ(checking->recap(nine), (EventStore::Recap{.prompts = 1, .back = 1}));
  ASSERT_TRUE(main.awaitTask());
  {
    LogCapture log;
    main.runAll();
    // Kept in memory only while the first check ran, which is no wait: nothing is said saved.
    EXPECT_THAT(log.lines(), ::testing::IsEmpty());
  }
  EXPECT_EQ(used, 1);
  EXPECT_TRUE(checking->inUse());
  const std::vector<Event> wanted = {{nine - EventStore::kSecondsPerDay, Kind::work, 30, "kept"},
                                     {nine + 1, Kind::back, 1, std::nullopt},
                                     {nine + 2, Kind::prompt, 1, std::nullopt}};
  EXPECT_EQ(checking->events(Date::fromUnix(0)), wanted);

  // Kept from use by the system, not set aside: held by another program, or a new log on a full
  // disk. Looked at again later, and deleting meanwhile deletes what the file holds too.
  std::unique_ptr<Reader> holder;
  std::unique_ptr<FileSizeLimit> full;
  struct Refusal {
    const char* name;
    std::function<void()> hold, release;
  };
  const Refusal refusals[] = {
      {"held",
       [&] {
         holder = std::make_unique<Reader>(path());
         holder->holdExclusively();
       },
       [&] { holder.reset(); }},
      {"a full disk",
       [&] {
         removeDatabase(path());
         full = std::make_unique<FileSizeLimit>(0);
       },
       [&] { full.reset(); }},
  };
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.name);
    checking.reset();
    store_.reset();
    refusal.hold();
    checking = open(used);
    checking->log(Kind::related, 1, std::nullopt, nine + 3);
    checking->deleteAll();
    checking->log(Kind::dismissed, 1, std::nullopt, nine + 4);
    LogCapture log;
    for (int tries = 0; tries < 3; ++tries) {
      if (tries > 0) timers.advance(EventStore::kCheckRetrySeconds);
      ASSERT_TRUE(main.awaitTask());
      main.runAll();
    }
    EXPECT_FALSE(checking->inUse());
    // Said once while the reason stays the same, however often it is tried.
    EXPECT_EQ(log.lines().size(), 1u) << ::testing::PrintToString(log.lines());
    const int before = used;
    refusal.release();
    timers.advance(EventStore::kCheckRetrySeconds);
    ASSERT_TRUE(main.awaitTask());
    main.runAll();
    EXPECT_EQ(used, before + 1);
    checking.reset();
    EXPECT_EQ(all(), (std::vector<Event>{{nine + 4, Kind::dismissed, 1, std::nullopt}}));
  }

  // Closed before its check came back: the last try checks the file itself and writes what was
  // logged; the check's own answer, come too late, changes nothing.
  store_.reset();
  checking = open(used);
  checking->log(Kind::back, 1, std::nullopt, nine + 5);
  const int before = used;
  checking->flush();
  EXPECT_TRUE(checking->inUse());
  main.runAll();
  EXPECT_EQ(used, before + 1);
  checking.reset();
  EXPECT_EQ(all(), (std::vector<Event>{{nine + 4, Kind::dismissed, 1, std::nullopt},
                                       {nine + 5, Kind::back, 1, std::nullopt}}));
  EXPECT_FALSE(std::filesystem::exists(dir / "events-damaged-1.sqlite"));
}

// What the system refuses at a try (a file that SQLite could only open for reading, a folder that
// cannot be made) keeps the file as it is and what is logged in memory, and is tried afresh.
TEST_F(EventStoreTest, AFileTheSystemRefusesIsKeptAndTriedAgainWithWhatWasLoggedMeanwhile) {
  ManualExecutor main;
  ManualTimers timers;
  int used = 0;
  std::vector<bool> waiting;
  const auto open = [&](const std::filesystem::path& file) {
    return std::make_unique<EventStore>(
        file, main, timers, [&] { ++used; }, [&](bool now) { waiting.push_back(now); });
  };
  const auto tryAgain = [&] {
    timers.advance(EventStore::kCheckRetrySeconds);
    ASSERT_TRUE(main.awaitTask());
    main.runAll();
  };
  const Event later{nine + 1, Kind::back, 1, std::nullopt};

  // An older file that the program must change, made read-only by its user, kept in rollback
  // mode so that SQLite can read it without a write-ahead log.
  {
    EventStore(path()).log(Kind::work, 60, std::nullopt, nine);
    Reader(path()).exec("PRAGMA journal_mode = DELETE; ALTER TABLE events DROP COLUMN label");
  }
  std::filesystem::permissions(path(), std::filesystem::perms::owner_read);
  {
    OrdinaryUser user(dir.path());
    // The synchronous open has no later try: it refuses the file, and leaves it.
    EXPECT_THAT([&] { EventStore refused(path()); },
                ThrowsError(EventStore::kErrorDomain, EventStore::kOpenCode, "Can't open "));
    auto store = open(path());
    store->log(later.kind, later.value, later.label, later.at);
    ASSERT_TRUE(main.awaitTask());
    // Made writable again after its try opened it read-only, before that try's first write.
    std::filesystem::permissions(path(), std::filesystem::perms(0600));
    main.runAll();
    EXPECT_FALSE(store->inUse());
    EXPECT_EQ(waiting, (std::vector<bool>{true}));
    EXPECT_EQ(store->events(nine), (std::vector<Event>{later}));
    tryAgain();
    EXPECT_TRUE(store->inUse());
    EXPECT_EQ(waiting, (std::vector<bool>{true, false}));
    EXPECT_EQ(store->events(nine),
              (std::vector<Event>{{nine, Kind::work, 60, std::nullopt}, later}));
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "events-damaged-1.sqlite"));

  // A folder that cannot be made: the program's store does not throw.
  writeFile(dir / "taken", "a file where the folder goes");
  auto store = open(dir / "taken" / "events.sqlite");
  store->log(later.kind, later.value, later.label, later.at);
  ASSERT_TRUE(main.awaitTask());
  main.runAll();
  EXPECT_FALSE(store->inUse());
  EXPECT_EQ(store->events(nine), (std::vector<Event>{later}));
  std::filesystem::remove(dir / "taken");
  tryAgain();
  EXPECT_TRUE(store->inUse());
  EXPECT_EQ(used, 2);
  EXPECT_EQ(Reader(dir / "taken" / "events.sqlite").count("events"), 1);

  // Made writable again, then closed before the next try: the last try writes what waited, a
  // prune or a deletion that waited alone as well, says so, and nothing is said lost. Still
  // refused at closing: the file keeps its rows, events are said lost and a deletion said not
  // made, but a prune is not said, since the next start's prune takes the same events.
  struct WhatWaits {
    const char* name;
    std::function<void(EventStore&)> wait;
    std::string saved;
    int64_t rowsAfter;
    std::vector<std::string> saidWhenRefused;
  };
  const std::string name = path().string();
  const WhatWaits cases[] = {
      {"events",
       [](EventStore& quitting) {
         quitting.log(Kind::prompt, 1, std::nullopt, nine + 2);
         quitting.log(Kind::dismissed, 1, std::nullopt, nine + 3);
       },
       "the 2 events kept in memory are",
       4,
       {"Event log: 2 events could not be saved to " + name + " before closing and are lost"}},
      {"a prune alone",
       [](EventStore& quitting) { quitting.prune(0, nine + 2); },
       "what was kept in memory is",
       2,
       {}},
      {"a deletion alone",
       [](EventStore& quitting) { quitting.deleteAll(); },
       "what was kept in memory is",
       0,
       {"Event log: the events in " + name + " could not be deleted before closing and stay"}},
  };
  for (const WhatWaits& what : cases) {
    for (const bool writable : {false, true}) {
      SCOPED_TRACE(std::string(what.name) + (writable ? "" : ", still refused at closing"));
      Reader(path()).exec("PRAGMA journal_mode = DELETE");
      const int64_t rowsBefore = Reader(path()).count("events");
      std::filesystem::permissions(path(), std::filesystem::perms::owner_read);
      {
        OrdinaryUser user(dir.path());
        auto quitting = open(path());
        what.wait(*quitting);
        ASSERT_TRUE(main.awaitTask());
        main.runAll();
        ASSERT_FALSE(quitting->inUse());
        if (writable) std::filesystem::permissions(path(), std::filesystem::perms(0600));
        LogCapture log;
        quitting->flush();
        quitting.reset();
        EXPECT_EQ(log.lines(), writable ? std::vector<std::string>{"Event log: " + what.saved +
                                                                   " saved to " + name}
                                        : what.saidWhenRefused);
      }
      std::filesystem::permissions(path(), std::filesystem::perms(0600));
      EXPECT_EQ(Reader(path()).count("events"), writable ? what.rowsAfter : rowsBefore);
    }
  }
}

// An event that the file in use refuses for the system's answer (a full disk here) waits in memory
// with those logged after it; the readers give them with the file's rows, each try that fails
// alike adds nothing to the log, and what still waits at closing is said lost.
TEST_F(EventStoreTest, EventsTheFileInUseRefusesWaitWithItsRowsUntilItTakesThem) {
  ManualExecutor main;
  ManualTimers timers;
  std::vector<bool> waiting;
  auto store = std::make_unique<EventStore>(path(), main, timers, nullptr,
                                            [&](bool now) { waiting.push_back(now); });
  const auto tryAgain = [&] {
    timers.advance(EventStore::kCheckRetrySeconds);
    ASSERT_TRUE(main.awaitTask());
    main.runAll();
  };
  store->log(Kind::work, 60, "kept", nine);
  ASSERT_TRUE(main.awaitTask());
  main.runAll();
  ASSERT_TRUE(store->inUse());
  EXPECT_TRUE(waiting.empty()) << "the first check is no wait";

  auto full = std::make_unique<FileSizeLimit>(0);
  LogCapture log;
  store->log(Kind::back, 1, std::nullopt, nine + 1);
  store->log(Kind::prompt, 1, std::nullopt, nine + 2);
  EXPECT_FALSE(store->inUse());
  EXPECT_EQ(waiting, (std::vector<bool>{true}));
  const std::vector<Event> everything = {{nine, Kind::work, 60, "kept"},
                                         {nine + 1, Kind::back, 1, std::nullopt},
                                         {nine + 2, Kind::prompt, 1, std::nullopt}};
  EXPECT_EQ(store->events(nine), everything);
  EXPECT_EQ(store->recap(nine), (EventStore::Recap{.prompts = 1, .back = 1, .workSeconds = 60}));
  for (int tries = 0; tries < 3; ++tries) tryAgain();
  EXPECT_FALSE(store->inUse());
  // The refused write, and the tries that fail alike: each said once.
  EXPECT_EQ(log.lines().size(), 2u) << ::testing::PrintToString(log.lines());

  full.reset();
  tryAgain();
  EXPECT_TRUE(store->inUse());
  EXPECT_EQ(waiting, (std::vector<bool>{true, false}));
  EXPECT_EQ(log.lines().back(),
            "Event log: the 2 events kept in memory are saved to " + path().string());
  EXPECT_EQ(Reader(path()).count("events"), 3);

  // Refused again, with a deletion asked for meanwhile: the last try is refused as well, and the
  // event said lost, the deletion said not made; the file keeps what it held.
  full = std::make_unique<FileSizeLimit>(0);
  store->log(Kind::away, 300, std::nullopt, nine + 3);
  store->deleteAll();
  store->log(Kind::paused, 60, std::nullopt, nine + 4);
  store->flush();
  store.reset();
  full.reset();
  EXPECT_THAT(log.lines(), ::testing::Contains(::testing::HasSubstr("1 event could not be saved")));
  EXPECT_THAT(log.lines(), ::testing::Contains("Event log: the events in " + path().string() +
                                               " could not be deleted before closing and stay"));
  EXPECT_EQ(Reader(path()).count("events"), 3);
}

}  // namespace
}  // namespace qb::test
