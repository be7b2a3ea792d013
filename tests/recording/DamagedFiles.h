// Damage that a database the program wrote meets outside the program, made from a copy of its
// bytes: a header field changed, a table in another shape, an index that needs a collation only
// the program that made it had. For the event log's and the recording's tests alike.

#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "base/File.h"
#include "support/TestSupport.h"

namespace qb::test {

// `bytes` with the byte at `offset` set to `value`.
inline std::string withByte(std::string bytes, size_t offset, unsigned char value) {
  bytes.at(offset) = static_cast<char>(value);
  return bytes;
}

// One header field of a database file set out of the range that SQLite writes, by its last byte
// (the fields at 44 and 56 are four bytes, big-endian).
struct HeaderDamage {
  const char* name;
  size_t offset;
  unsigned char value;
};
inline const std::vector<HeaderDamage>& headerDamages() {
  static const std::vector<HeaderDamage> damages = {
      {"write version 3", 18, 3},  // SQLite opens it read-only, unsaid
      {"schema format 5", 47, 5},  // "unsupported file format"
      {"text encoding 4", 59, 4},  // read as UTF-8 until a schema change reads it again
  };
  return damages;
}

// Damage no test planned: one to four bytes of `bytes` set to random values, within the header
// when `inHeader`, else anywhere. `what` says which, offset=value, for a failure to name.
inline std::string damagedAtRandom(std::string bytes, std::mt19937& random, bool inHeader,
                                   std::string& what) {
  constexpr size_t kHeaderBytes = 100;
  constexpr unsigned kMostChanges = 4;
  what.clear();
  for (unsigned i = 0, changes = 1 + random() % kMostChanges; i < changes; ++i) {
    const size_t at = random() % (inHeader ? kHeaderBytes : bytes.size());
    const auto value = static_cast<unsigned char>(random());
    bytes.at(at) = static_cast<char>(value);
    what += std::to_string(at) + "=" + std::to_string(value) + " ";
  }
  return bytes;
}

// Removes the database at `file` and the files SQLite keeps beside it.
inline void removeDatabase(const std::filesystem::path& file) {
  for (std::string_view kind : file::kDatabaseFiles) {
    std::filesystem::remove(file.string() + std::string(kind));
  }
}

// Damage no test planned, `rounds` times over: each round writes `bytes` damaged at random (in
// the header every other round) as the only database at `file` and hands them to `use`, which
// opens it, records into it and closes it. A copy set aside as `aside` must hold them untouched,
// and each way, taken as it is and set aside, must be taken in a quarter of the rounds or more.
inline void useDamagedAtRandom(const std::string& bytes, const std::filesystem::path& file,
                               const std::filesystem::path& aside, int rounds,
                               const std::function<void(const std::string& damaged)>& use) {
  std::mt19937 random(1);
  int setAside = 0;
  for (int round = 0; round < rounds; ++round) {
    std::string what;
    const std::string damaged = damagedAtRandom(bytes, random, round % 2 == 0, what);
    SCOPED_TRACE(what);
    removeDatabase(file);
    removeDatabase(aside);
    writeFile(file, damaged);
    use(damaged);
    if (std::filesystem::exists(aside)) {
      ++setAside;
      EXPECT_EQ(readFile(aside), damaged);
    }
  }
  EXPECT_GE(setAside, rounds / 4);
  EXPECT_LE(setAside, rounds - rounds / 4);
}

// The bytes of the database `file` once `sql` has run on a copy of it, its log folded in. The
// connection knows a collation named "reversed" that no other connection has.
inline std::string changedDatabase(const std::filesystem::path& file, const std::string& sql) {
  const std::filesystem::path copy = file.string() + ".changed";
  std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing);
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(copy.c_str(), &db), SQLITE_OK);
  sqlite3_create_collation(db, "reversed", SQLITE_UTF8, nullptr,
                           [](void*, int, const void*, int, const void*) { return 0; });
  char* message = nullptr;
  EXPECT_EQ(sqlite3_exec(db, (sql + "; PRAGMA wal_checkpoint(TRUNCATE)").c_str(), nullptr, nullptr,
                         &message),
            SQLITE_OK)
      << (message ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
  std::string bytes = readFile(copy);
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(copy.string() + suffix);
  return bytes;
}

// SQLite's running checksum of a write-ahead log, carried on from `first` and `second` over the
// bytes of `log` in [from, to): pairs of words in the byte order that the magic number's low bit
// names.
inline void addLogChecksum(const std::string& log, size_t from, size_t to, uint32_t& first,
                           uint32_t& second) {
  const auto byte = [&](size_t at) { return static_cast<uint32_t>(static_cast<uint8_t>(log[at])); };
  const bool bigEndian = (byte(3) & 1) != 0;
  const auto word = [&](size_t at) {
    return bigEndian ? byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3)
                     : byte(at + 3) << 24 | byte(at + 2) << 16 | byte(at + 1) << 8 | byte(at);
  };
  for (size_t at = from; at < to; at += 8) {
    first += word(at) + second;
    second += word(at + 4) + first;
  }
}

// `bytes` with the big-endian word at `offset` set to `value`.
inline void putBigEndian(std::string& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<char>(value >> (24 - 8 * i));
}

inline uint32_t bigEndianAt(const std::string& bytes, size_t offset) {
  uint32_t word = 0;
  for (size_t i = 0; i < 4; ++i) word = word << 8 | static_cast<uint8_t>(bytes.at(offset + i));
  return word;
}

// A write-ahead log's header, before its first frame.
constexpr size_t kLogHeaderBytes = 32;

// A database whose header SQLite reads from its write-ahead log: the bytes of `file` (a database
// whose log is folded in), and the log that a connection which ends without folding it leaves
// beside them, holding one copy of page 1 whose byte at `offset` is set to `value`, in a frame
// left as `frame` says.
struct LoggedDatabase {
  std::string database;
  std::string log;
};
enum class LoggedFrame {
  committed,     // the checksum made anew: SQLite reads the frame
  torn,          // the checksum left as it was, as a torn write leaves it: SQLite ignores it
  uncommitted,   // sealed, but no commit ends it: SQLite ignores it
  ofAnotherLog,  // sealed, but its salts are not the log's: SQLite ignores it
};
inline LoggedDatabase withLoggedByte(const std::filesystem::path& file, size_t offset,
                                     unsigned char value,
                                     LoggedFrame frame = LoggedFrame::committed) {
  const std::filesystem::path copy = file.string() + ".logged";
  removeDatabase(copy);
  std::filesystem::copy_file(file, copy);
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(copy.c_str(), &db), SQLITE_OK);
  sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  EXPECT_EQ(sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA user_version = 7", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  LoggedDatabase logged{readFile(copy), readFile(copy.string() + "-wal")};
  removeDatabase(copy);

  // The log's header, then one frame: a header of 24 bytes and page 1.
  constexpr size_t kFrameHeader = 24;
  constexpr size_t kFrameCommit = kLogHeaderBytes + 4;
  constexpr size_t kFrameSalt = kLogHeaderBytes + 8;
  constexpr size_t kFrameChecksum = kLogHeaderBytes + 16;
  std::string& log = logged.log;
  const auto bigEndian = [&](size_t at) { return bigEndianAt(log, at); };
  const uint32_t pageBytes = bigEndian(8);
  EXPECT_EQ(log.size(), kLogHeaderBytes + kFrameHeader + pageBytes) << "one frame, of page 1";
  EXPECT_EQ(bigEndian(kLogHeaderBytes), 1u);
  log.at(kLogHeaderBytes + kFrameHeader + offset) = static_cast<char>(value);
  if (frame == LoggedFrame::torn) return logged;
  if (frame == LoggedFrame::uncommitted) putBigEndian(log, kFrameCommit, 0);
  if (frame == LoggedFrame::ofAnotherLog) putBigEndian(log, kFrameSalt, ~bigEndian(kFrameSalt));
  // The checksum runs on from the log header's over the frame's first 8 bytes and its page.
  uint32_t first = bigEndian(24);
  uint32_t second = bigEndian(28);
  addLogChecksum(log, kLogHeaderBytes, kLogHeaderBytes + 8, first, second);
  addLogChecksum(log, kLogHeaderBytes + kFrameHeader, log.size(), first, second);
  putBigEndian(log, kFrameChecksum, first);
  putBigEndian(log, kFrameChecksum + 4, second);
  return logged;
}

// `log` naming format version `version` in a header whose checksum holds.
inline std::string withLogVersion(std::string log, uint32_t version) {
  constexpr size_t kVersion = 4;
  constexpr size_t kChecksum = 24;
  putBigEndian(log, kVersion, version);
  uint32_t first = 0;
  uint32_t second = 0;
  addLogChecksum(log, 0, kChecksum, first, second);
  putBigEndian(log, kChecksum, first);
  putBigEndian(log, kChecksum + 4, second);
  return log;
}

// A database with the rollback journal that a writer which ended mid-transaction leaves beside
// it, which SQLite rolls back at its first read: the bytes of `file` (a database whose log is
// folded in) taken out of WAL mode, and a journal made by SQLite that holds their page 1 with the
// byte at `offset` set to `value`, in a record left as `page` says.
struct JournaledDatabase {
  std::string database;
  std::string journal;
};
enum class JournaledPage {
  restored,  // the checksum made anew: SQLite copies the page back
  torn,      // a checksum that does not hold, as a torn write leaves it: SQLite stops before it
  cold,      // the journal's header blank, as SQLite leaves a journal it keeps after a commit:
             // SQLite ignores the journal
};

// The journal's header, padded to the sector size it names, then records: a page number, the
// page, and a checksum that adds every 200th byte of the page back from its end to the header's
// nonce.
constexpr size_t kJournalHeaderBytes = 28;
constexpr size_t kJournalNonceOffset = 12;
constexpr size_t kJournalPagesOffset = 16;  // the database's size before the transaction
constexpr size_t kJournalSectorOffset = 20;
constexpr size_t kJournalPageBytesOffset = 24;

// Sets the byte at `offset` of the page in the record at `record` of `journal` to `value`, and
// makes the record's checksum anew.
inline void setJournaledByte(std::string& journal, size_t record, size_t offset,
                             unsigned char value) {
  const uint32_t pageBytes = bigEndianAt(journal, kJournalPageBytesOffset);
  const size_t page = record + 4;
  journal.at(page + offset) = static_cast<char>(value);
  uint32_t sum = bigEndianAt(journal, kJournalNonceOffset);
  for (int64_t i = int64_t{pageBytes} - 200; i > 0; i -= 200) {
    sum += static_cast<uint8_t>(journal.at(page + static_cast<size_t>(i)));
  }
  putBigEndian(journal, page + pageBytes, sum);
}

inline JournaledDatabase withJournaledByte(const std::filesystem::path& file, size_t offset,
                                           unsigned char value,
                                           JournaledPage page = JournaledPage::restored) {
  const std::filesystem::path copy = file.string() + ".journaled";
  removeDatabase(copy);
  std::filesystem::copy_file(file, copy);
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(copy.c_str(), &db), SQLITE_OK);
  // Unsynced, the journal is headed and counted as it is written, before any commit.
  EXPECT_EQ(sqlite3_exec(db,
                         "PRAGMA journal_mode = DELETE; PRAGMA synchronous = OFF; BEGIN; "
                         "PRAGMA user_version = 7",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  JournaledDatabase journaled{readFile(copy), readFile(copy.string() + "-journal")};
  EXPECT_EQ(sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  removeDatabase(copy);

  std::string& journal = journaled.journal;
  const size_t record = bigEndianAt(journal, kJournalSectorOffset);
  EXPECT_EQ(bigEndianAt(journal, record), 1u) << "page 1 is the first page written";
  setJournaledByte(journal, record, offset, value);
  if (page == JournaledPage::torn) {
    const size_t checksum = record + 4 + bigEndianAt(journal, kJournalPageBytesOffset);
    putBigEndian(journal, checksum, ~bigEndianAt(journal, checksum));
  }
  if (page == JournaledPage::cold) std::fill_n(journal.begin(), kJournalHeaderBytes, '\0');
  return journaled;
}

// `journaled` with a later record of page 1 appended to its journal: a copy of its first record
// with the byte at `offset` set to `value`. Unsynced, the journal's records are all it holds, so
// SQLite copies both back, the later last.
inline JournaledDatabase withLaterCopy(JournaledDatabase journaled, size_t offset,
                                       unsigned char value) {
  std::string& journal = journaled.journal;
  const size_t first = bigEndianAt(journal, kJournalSectorOffset);
  const size_t later = journal.size();
  journal += journal.substr(first, 4 + bigEndianAt(journal, kJournalPageBytesOffset) + 4);
  setJournaledByte(journal, later, offset, value);
  return journaled;
}

// `journal` with its header naming `pages` as the database's size before the transaction, in
// pages of `pageBytes`; its records as they were.
inline std::string withJournalHeader(std::string journal, uint32_t pages, uint32_t pageBytes) {
  putBigEndian(journal, kJournalPagesOffset, pages);
  putBigEndian(journal, kJournalPageBytesOffset, pageBytes);
  return journal;
}

}  // namespace qb::test
