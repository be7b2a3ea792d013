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

TEST_F(EventStoreTest, AnOlderFileGainsTheLabelColumnAndKeepsItsRows) {
  Reader(path()).exec(
      "CREATE TABLE events (ts REAL NOT NULL, kind TEXT NOT NULL, value REAL NOT NULL "
      "DEFAULT 1); INSERT INTO events (ts, kind) VALUES (" +
      std::to_string(long(nine.unixTime())) + ", 'back')");
  store().log(Kind::work, 60, "A", nine + 1);
  EXPECT_EQ(all(), (std::vector<Event>{{nine, Kind::back, 1, std::nullopt},
                                       {nine + 1, Kind::work, 60, "A"}}));
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
  std::vector<std::pair<std::string, std::string>> files = {
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
  };
  for (const HeaderDamage& damage : headerDamages()) {
    files.emplace_back(damage.name, withByte(database, damage.offset, damage.value));
  }
  const auto aside = dir / "events-damaged-1.sqlite";
  for (const auto& [name, content] : files) {
    SCOPED_TRACE(name);
    writeFile(path(), content);
    LogCapture log;
    store().log(Kind::back, 1, std::nullopt, nine);
    EXPECT_EQ(all(), (std::vector<Event>{{nine, Kind::back, 1, std::nullopt}}));
    EXPECT_EQ(readFile(aside), content);
    EXPECT_FALSE(log.lines().empty());
    // Deleting the log deletes what was set aside of it.
    store().deleteAll();
    EXPECT_FALSE(std::filesystem::exists(aside));
    store_.reset();
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
  main.runAll();
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
    ASSERT_TRUE(main.awaitTask());
    main.runAll();
    EXPECT_FALSE(checking->inUse());
    const int before = used;
    refusal.release();
    timers.advance(EventStore::kCheckRetrySeconds);
    ASSERT_TRUE(main.awaitTask());
    main.runAll();
    EXPECT_EQ(used, before + 1);
    checking.reset();
    EXPECT_EQ(all(), (std::vector<Event>{{nine + 4, Kind::dismissed, 1, std::nullopt}}));
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "events-damaged-1.sqlite"));
}

}  // namespace
}  // namespace qb::test
