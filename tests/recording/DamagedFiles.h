// Damage that a database the program wrote meets outside the program, made from a copy of its
// bytes: a header field changed, a table in another shape, an index that needs a collation only
// the program that made it had. For the event log's and the recording's tests alike.

#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstddef>
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

}  // namespace qb::test
