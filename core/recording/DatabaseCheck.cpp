#include "recording/DatabaseCheck.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string_view>

#include "base/File.h"

namespace qb::database {

namespace {

// Between a file's stem and a number: recording-damaged-1.sqlite, recording-damaged-2.sqlite
constexpr std::string_view kDamagedInfix = "-damaged-";

// The database header's fields that SQLite reads without complaint and then misuses: a write
// version above kMaxWriteVersion makes the file read-only, unsaid until the first write, and a
// text encoding above kMaxTextEncoding is read by its low bits until a schema change reads it
// again and refuses it.
constexpr std::string_view kHeaderMagic{"SQLite format 3\0", 16};
constexpr size_t kHeaderBytes = 100;
constexpr size_t kWriteVersionOffset = 18;
constexpr unsigned kMaxWriteVersion = 2;
constexpr size_t kTextEncodingOffset = 56;  // four bytes, big-endian
constexpr uint32_t kMaxTextEncoding = 3;    // UTF-16be; 0 is a file that never stored text

// A write-ahead log: a header, then frames of a header and a page each. SQLite reads a page from
// the log when a frame there holds it: a frame counts when its salts are the header's and the
// running checksum, over the header and every frame up to it, holds, and only up to the last
// such frame that ends a transaction (it names the database's size after the commit).
constexpr size_t kLogHeaderBytes = 32;
constexpr size_t kFrameHeaderBytes = 24;
constexpr uint32_t kLogMagic = 0x377f0682;  // its low bit set: checksum words are big-endian
constexpr uint32_t kLogVersion = 3007000;
constexpr uint32_t kMinPageBytes = 512;
constexpr uint32_t kMaxPageBytes = 65536;
constexpr size_t kLogVersionOffset = 4;
constexpr size_t kLogPageBytesOffset = 8;
constexpr size_t kLogSaltOffset = 16;  // two words, which each frame repeats
constexpr size_t kSaltBytes = 8;
constexpr size_t kLogChecksumOffset = 24;
constexpr size_t kFrameCommitOffset = 4;  // the database's pages after a commit; 0 in other frames
constexpr size_t kFrameSaltOffset = 8;
constexpr size_t kFrameChecksumOffset = 16;
constexpr size_t kFrameChecksummedBytes = 8;  // a frame's page number and its commit field

// A rollback journal: segments of a header, padded to the sector size it names in the first, and
// records of a page number, the page as it was before the transaction and a checksum of it.
constexpr std::array<unsigned char, 8> kJournalMagic = {0xd9, 0xd5, 0x05, 0xf9,
                                                        0x20, 0xa1, 0x63, 0xd7};
constexpr size_t kJournalHeaderBytes = 28;
constexpr size_t kJournalRecordsOffset = 8;
constexpr uint32_t kUnsyncedRecords = 0xffffffff;  // written unsynced: records fill the journal
constexpr size_t kJournalNonceOffset = 12;         // where each record's checksum starts
constexpr size_t kJournalPagesOffset = 16;         // the database's size before the transaction
constexpr size_t kJournalSectorOffset = 20;
constexpr size_t kJournalPageBytesOffset = 24;
constexpr uint32_t kMinSectorBytes = 32;
constexpr uint32_t kMaxSectorBytes = 65536;
// SQLite's sector size for a file whose writes do not tear neighbours, as it takes every file
// here; the first segment's header must fit in it.
constexpr uint32_t kAssumedSectorBytes = 512;
constexpr size_t kRecordPageOffset = 4;
constexpr size_t kRecordChecksumBytes = 4;
constexpr int64_t kChecksumStride = 200;  // a record's checksum adds every 200th byte of its page
// The page that holds SQLite's lock bytes, at this offset, is never journaled: a record of it
// ends the rollback.
constexpr uint32_t kLockBytesOffset = 0x40000000;
// A database header's page size: two bytes, big-endian, 1 for 65536. Where it names none, SQLite
// takes its default.
constexpr size_t kPageBytesOffset = 16;
constexpr uint32_t kDefaultPageBytes = 4096;
// The file format's largest page number, 2^32 - 2: the most pages a database holds, however far
// a connection raises its max_page_count.
constexpr uint32_t kMaxPages = 0xfffffffe;

// A page size SQLite can read: a power of two within its bounds.
bool isPageSize(uint32_t bytes) {
  return bytes >= kMinPageBytes && bytes <= kMaxPageBytes && (bytes & (bytes - 1)) == 0;
}

// The page size that the database header `header` names, which is no page size where it names
// none.
uint32_t pageBytesOf(const std::string& header) {
  const auto byte = [&](size_t offset) {
    return static_cast<uint32_t>(static_cast<unsigned char>(header[offset]));
  };
  return byte(kPageBytesOffset) << 8 | byte(kPageBytesOffset + 1) << 16;
}

uint32_t bigEndian32(const unsigned char* bytes) {
  return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

// SQLite's running checksum of the log: pairs of 32-bit words, read in the log's byte order.
struct LogChecksum {
  bool bigEndian;
  uint32_t first = 0, second = 0;

  void add(const unsigned char* bytes, size_t size) {
    const auto word = [&](size_t at) {
      const unsigned char* b = bytes + at;
      return bigEndian ? bigEndian32(b)
                       : uint32_t{b[3]} << 24 | uint32_t{b[2]} << 16 | uint32_t{b[1]} << 8 | b[0];
    };
    for (size_t at = 0; at + 8 <= size; at += 8) {
      first += word(at) + second;
      second += word(at + 4) + first;
    }
  }
  bool matches(const unsigned char* stored) const {
    return bigEndian32(stored) == first && bigEndian32(stored + 4) == second;
  }
};

// The first kHeaderBytes of page 1 as SQLite reads them from the log at `path`, when the log
// holds page 1 in a frame that counts; else nothing. `refused` says why SQLite refuses the log
// itself, where it does: a log whose header holds, by its checksum, but names a format SQLite
// cannot read fails every read of the database as "unable to open database file", an answer that
// would otherwise pass for the system's. SQLite reads no further than the header of a log that
// holds nothing else.
std::optional<std::string> headerFromLog(const std::string& path,
                                         std::optional<std::string>& refused) {
  std::ifstream in(path, std::ios::binary);
  std::array<unsigned char, kLogHeaderBytes> header{};
  if (!in.read(reinterpret_cast<char*>(header.data()), header.size())) return std::nullopt;
  const uint32_t magic = bigEndian32(header.data());
  const uint32_t pageBytes = bigEndian32(header.data() + kLogPageBytesOffset);
  if ((magic & ~1u) != kLogMagic || !isPageSize(pageBytes)) return std::nullopt;
  LogChecksum sum{.bigEndian = (magic & 1) != 0};
  sum.add(header.data(), kLogChecksumOffset);
  if (!sum.matches(header.data() + kLogChecksumOffset)) return std::nullopt;
  if (const uint32_t version = bigEndian32(header.data() + kLogVersionOffset);
      version != kLogVersion) {
    if (in.peek() != std::ifstream::traits_type::eof()) {
      refused = "its write-ahead log names format version " + std::to_string(version) +
                ", which SQLite refuses to read";
    }
    return std::nullopt;
  }

  std::vector<unsigned char> frame(kFrameHeaderBytes + pageBytes);
  std::optional<std::string> latest, committed;
  while (
      in.read(reinterpret_cast<char*>(frame.data()), static_cast<std::streamsize>(frame.size()))) {
    const uint32_t page = bigEndian32(frame.data());
    if (page == 0 ||
        !std::equal(frame.begin() + kFrameSaltOffset, frame.begin() + kFrameSaltOffset + kSaltBytes,
                    header.begin() + kLogSaltOffset)) {
      break;
    }
    sum.add(frame.data(), kFrameChecksummedBytes);
    sum.add(frame.data() + kFrameHeaderBytes, pageBytes);
    if (!sum.matches(frame.data() + kFrameChecksumOffset)) break;
    const auto pageStart = frame.begin() + kFrameHeaderBytes;
    if (page == 1) latest.emplace(pageStart, pageStart + kHeaderBytes);
    if (bigEndian32(frame.data() + kFrameCommitOffset) != 0) committed = latest;
  }
  return committed;
}

// Reads `size` bytes at `offset` of `in` into `into`; false when the file ends first.
bool readAt(std::ifstream& in, uint64_t offset, unsigned char* into, size_t size) {
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset));
  return static_cast<bool>(
      in.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(size)));
}

// What SQLite's rollback of a hot journal does to the file: cuts or grows it to `pages` pages of
// `pageBytes`, then copies back the pages the journal holds, in pages of that size; `header` is
// the first kHeaderBytes of the last copy of page 1 among them, where there is one.
struct Rollback {
  uint32_t pages = 0;
  uint32_t pageBytes = 0;
  std::optional<std::string> header;
};

// SQLite's rollback of the journal at `path`, which its first read makes when the journal is
// hot: a writer ended mid-transaction and left it there, headed and with records of the pages as
// they were before. Nothing when it is not hot. `fileHeader` is what the file holds now, whose
// page size a journal may leave unsaid.
//
// Read as SQLite plays a journal back: segments, each a header padded to the sector size and
// its records (a page number, the page, a checksum), until a header or a record does not hold
// (a torn write past the last sync), the last copy of a page the one left in the file. A
// journal held by a live writer (by its reserved lock) is not rolled back, but its records are
// the pages as committed, which is what every reader reads until the writer commits: judging
// them judges the header that readers read. A journal that names a super-journal that is gone
// is deleted unplayed; such journals come only of transactions across attached databases,
// which the program never makes.
std::optional<Rollback> rollbackOf(const std::string& path, const std::string& fileHeader) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const auto end = static_cast<std::streamoff>(in.tellg());
  if (end <= 0) return std::nullopt;
  const auto size = static_cast<uint64_t>(end);

  uint32_t sectorBytes = kAssumedSectorBytes;
  std::optional<Rollback> rollback;
  std::array<unsigned char, kJournalHeaderBytes> header{};
  for (uint64_t at = 0;;) {
    // Each segment's header starts at the sector boundary after the last record.
    at = (at + sectorBytes - 1) / sectorBytes * sectorBytes;
    if (at + sectorBytes > size || !readAt(in, at, header.data(), header.size()) ||
        !std::equal(kJournalMagic.begin(), kJournalMagic.end(), header.begin())) {
      return rollback;
    }
    uint32_t records = bigEndian32(header.data() + kJournalRecordsOffset);
    const uint32_t nonce = bigEndian32(header.data() + kJournalNonceOffset);
    if (at == 0) {
      sectorBytes = bigEndian32(header.data() + kJournalSectorOffset);
      uint32_t pageBytes = bigEndian32(header.data() + kJournalPageBytesOffset);
      // Unsaid: the page size the file's own header names, where that is one.
      if (pageBytes == 0) {
        pageBytes = pageBytesOf(fileHeader);
        if (!isPageSize(pageBytes)) pageBytes = kDefaultPageBytes;
      }
      if (sectorBytes < kMinSectorBytes || sectorBytes > kMaxSectorBytes ||
          (sectorBytes & (sectorBytes - 1)) || !isPageSize(pageBytes)) {
        return std::nullopt;
      }
      rollback = Rollback{.pages = bigEndian32(header.data() + kJournalPagesOffset),
                          .pageBytes = pageBytes};
    }
    const uint32_t pageBytes = rollback->pageBytes;
    at += sectorBytes;
    if (records == kUnsyncedRecords) {
      records = static_cast<uint32_t>((size - sectorBytes) /
                                      (kRecordPageOffset + pageBytes + kRecordChecksumBytes));
    }
    const uint32_t lockPage = kLockBytesOffset / pageBytes + 1;  // never journaled
    std::vector<unsigned char> record(kRecordPageOffset + pageBytes + kRecordChecksumBytes);
    for (uint32_t n = 0; n < records; ++n, at += record.size()) {
      if (!readAt(in, at, record.data(), kRecordPageOffset + pageBytes)) return rollback;
      const uint32_t page = bigEndian32(record.data());
      if (page == 0 || page == lockPage) return rollback;
      if (page > rollback->pages) continue;
      if (!readAt(in, at + kRecordPageOffset + pageBytes,
                  record.data() + kRecordPageOffset + pageBytes, kRecordChecksumBytes)) {
        return rollback;
      }
      // Sampled, not summed: every kChecksumStride-th byte back from the page's end.
      uint32_t sum = nonce;
      for (int64_t i = int64_t{pageBytes} - kChecksumStride; i > 0; i -= kChecksumStride) {
        sum += record[kRecordPageOffset + static_cast<size_t>(i)];
      }
      if (sum != bigEndian32(record.data() + kRecordPageOffset + pageBytes)) return rollback;
      if (page == 1) {
        rollback->header.emplace(record.begin() + kRecordPageOffset,
                                 record.begin() + kRecordPageOffset + kHeaderBytes);
      }
    }
  }
}

// The header's problem, or nothing when it has none that SQLite would not name itself: a file too
// short to have a header, or no database at all, is SQLite's to name. The header is the one
// SQLite reads: its first read rolls back a hot journal, then reads page 1 from the write-ahead
// log when that holds it (SQLite removes the log of an empty file instead). A log that SQLite
// refuses for what it holds is the file's problem too, and so is a hot journal that SQLite could
// not have written for the file, judged before its rollback touches the file: one that names
// more pages than a database holds, which SQLite grows the file towards until the file system
// refuses and every read fails as "disk I/O error", or one whose pages are not of the size that
// the header it leaves names, which SQLite would cut the file into.
std::optional<std::string> headerProblem(const char* file) {
  if (file == nullptr || *file == '\0') return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  std::string header(kHeaderBytes, '\0');
  in.read(header.data(), static_cast<std::streamsize>(header.size()));
  bool whole = in.gcount() == static_cast<std::streamsize>(kHeaderBytes);
  if (in.gcount() == 0) return std::nullopt;
  if (auto rollback = rollbackOf(std::string(file) + "-journal", header)) {
    if (rollback->pages > kMaxPages) {
      return "its rollback journal names " + std::to_string(rollback->pages) +
             " pages before the transaction, more than a database holds (" +
             std::to_string(kMaxPages) + ")";
    }
    // Cut to nothing, the file is a new database: no header, and SQLite removes its log.
    if (rollback->pages == 0) return std::nullopt;
    if (rollback->header) {
      header = std::move(*rollback->header);
      whole = true;
    }
    // SQLite journals pages of the size they had at the transaction's start, page 1 among them,
    // which names that size. The file's own page 1 names another only after its copy went into
    // the journal (a VACUUM to a new page size that ended mid-way), and that copy is restored;
    // one that names none, or is cut short, is no page 1 SQLite wrote.
    if (const uint32_t named = pageBytesOf(header); named != rollback->pageBytes) {
      return "its rollback journal holds pages of " + std::to_string(rollback->pageBytes) +
             " bytes, and the header it leaves names pages of " + std::to_string(named);
    }
  }
  std::optional<std::string> refused;
  if (auto logged = headerFromLog(std::string(file) + "-wal", refused)) {
    header = std::move(*logged);
  } else if (refused) {
    return refused;
  } else if (!whole) {
    return std::nullopt;
  }
  if (!header.starts_with(kHeaderMagic)) return std::nullopt;
  const auto byte = [&](size_t offset) { return static_cast<unsigned char>(header[offset]); };
  if (const unsigned version = byte(kWriteVersionOffset); version > kMaxWriteVersion) {
    return "its header names write version " + std::to_string(version) +
           ", which SQLite can only read";
  }
  uint32_t encoding = 0;
  for (size_t i = 0; i < sizeof encoding; ++i) {
    encoding = encoding << 8 | byte(kTextEncodingOffset + i);
  }
  if (encoding > kMaxTextEncoding) {
    return "its header names text encoding " + std::to_string(encoding) + ", which is none";
  }
  return std::nullopt;
}

// As the program's own file operations see it (its effective and file-system ids), where access()
// would answer for the real user.
bool isWritable(const std::filesystem::path& path) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// What the system is asked for, at the least, to tell whether it has memory to give: more than
// any one request a sound read makes of it, so that memory given now means memory was there.
constexpr sqlite3_int64 kShortageProbeBytes = 16 << 20;

// Whether SQLite's "out of memory" is the machine's: the heap limit set on SQLite reached (by the
// most memory in use and the largest request so far), or the system unable to give the largest
// request again. Otherwise the memory was there and SQLite refused the request itself: it refuses,
// before asking the system, any request larger than it ever allocates, which only a file that
// claims a value of such a size makes it ask for, at every read, on any machine.
bool isMachineShort() {
  sqlite3_int64 current = 0;
  sqlite3_int64 largest = 0;
  if (sqlite3_status64(SQLITE_STATUS_MALLOC_SIZE, &current, &largest, 0) != SQLITE_OK) return true;
  const sqlite3_int64 limit = sqlite3_hard_heap_limit64(-1);
  if (limit > 0 && sqlite3_memory_highwater(0) + largest >= limit) return true;
  // Volatile, so that the compiler cannot drop an allocation that is only freed.
  void* volatile probe =
      std::malloc(static_cast<size_t>(std::max<sqlite3_int64>(largest, kShortageProbeBytes)));
  const bool given = probe != nullptr;
  std::free(probe);
  return !given;
}

// The header, then `pragma`: quick_check or integrity_check, which answer alike.
int check(sqlite3* db, const char* pragma, std::string& problem) {
  if (auto header = headerProblem(sqlite3_db_filename(db, "main"))) {
    problem = std::move(*header);
    return SQLITE_CORRUPT;
  }
  sqlite3_stmt* raw = nullptr;
  int result = sqlite3_prepare_v2(db, pragma, -1, &raw, nullptr);
  std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> check(raw, sqlite3_finalize);
  if (result == SQLITE_OK) {
    // One row "ok" for a whole file, else one row per problem.
    std::optional<std::string> first;
    while ((result = sqlite3_step(check.get())) == SQLITE_ROW) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0));
      if (!first) first = text ? text : "";
    }
    // A check that has named damage has found it, however it ends: running out of memory on a
    // badly damaged file is no reason to write into it.
    if (first && first != "ok") {
      problem = *first;
      // The first problem comes after a line that names the schema, "*** in database main ***".
      if (problem.starts_with("*** ")) {
        if (const size_t end = problem.find('\n'); end != std::string::npos)
          problem.erase(0, end + 1);
      }
      return SQLITE_CORRUPT;
    }
    if (result == SQLITE_DONE) {
      if (first) return SQLITE_OK;
      problem = "no answer";
      return SQLITE_CORRUPT;
    }
  }
  problem = sqlite3_errmsg(db);
  if ((result & 0xff) == SQLITE_NOMEM && !isMachineShort()) {
    problem = "reading it needs more memory than SQLite allocates, with memory to spare (" +
              problem + "): it claims a size that no file of its own holds";
    return SQLITE_CORRUPT;
  }
  return result & 0xff;
}

}  // namespace

int quickCheck(sqlite3* db, std::string& problem) {
  return check(db, "PRAGMA quick_check", problem);
}

int fullCheck(sqlite3* db, std::string& problem) {
  return check(db, "PRAGMA integrity_check", problem);
}

bool isFileFault(int result, const std::filesystem::path& file) {
  switch (result & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
    // The program's own statements are fixed: on an open file, their errors come from its schema,
    // one that SQLite cannot read ("unsupported file format", "no such collation sequence") or
    // one the program cannot build on ("no such column", rows that break a new unique index).
    case SQLITE_ERROR:
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
      return true;
    case SQLITE_READONLY:
      // A plain read-only answer where the file, its side files and its folder take writes is
      // the header's; any other (a read-only file, folder or mount, a side file SQLite made while
      // the file was read-only, a log that cannot be made) is the system's.
      return result == SQLITE_READONLY && isWritable(file) && isWritable(file.parent_path()) &&
             std::all_of(file::kDatabaseCompanions.begin(), file::kDatabaseCompanions.end(),
                         [&](std::string_view suffix) {
                           const std::filesystem::path side = file.string() + std::string(suffix);
                           return ::access(side.c_str(), F_OK) != 0 || isWritable(side);
                         });
    default:
      return false;
  }
}

std::unique_ptr<sqlite3, int (*)(sqlite3*)> referenceSchema(std::span<const char* const> schema) {
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE, nullptr);
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
  if (opened != SQLITE_OK) return {nullptr, sqlite3_close};
  for (const char* statement : schema) sqlite3_exec(db.get(), statement, nullptr, nullptr, nullptr);
  return db;
}

int shapeProblem(sqlite3* db, sqlite3* reference, std::string& problem) {
  struct Column {
    std::string name;
    bool optional = false;  // an insert may leave it out
  };
  using Tables = std::map<std::string, std::vector<Column>>;
  // Every table's columns into `tables`; SQLITE_OK or the failing result.
  const auto read = [&problem](sqlite3* from, Tables& tables) {
    sqlite3_stmt* raw = nullptr;
    int result = sqlite3_prepare_v2(
        from,
        "SELECT m.name, c.name, c.\"notnull\" = 0 OR c.dflt_value IS NOT NULL "
        "FROM sqlite_schema AS m JOIN pragma_table_info(m.name) AS c WHERE m.type = 'table'",
        -1, &raw, nullptr);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> query(raw, sqlite3_finalize);
    const auto text = [&query](int column) {
      const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(query.get(), column));
      return std::string(bytes ? bytes : "");
    };
    if (result == SQLITE_OK) {
      while ((result = sqlite3_step(query.get())) == SQLITE_ROW) {
        tables[text(0)].push_back({text(1), sqlite3_column_int(query.get(), 2) != 0});
      }
      if (result == SQLITE_DONE) return SQLITE_OK;
    }
    problem = sqlite3_errmsg(from);
    return result;
  };
  Tables wanted, found;
  if (const int result = read(reference, wanted); result != SQLITE_OK) return result;
  if (const int result = read(db, found); result != SQLITE_OK) return result;
  for (const auto& [table, columns] : wanted) {
    std::set<std::string> own;
    for (const Column& column : columns) own.insert(column.name);
    std::set<std::string> present;
    for (const Column& column : found[table]) {
      present.insert(column.name);
      if (!column.optional && !own.contains(column.name)) {
        problem = "its table " + table + " has a column " + column.name + " that needs a value";
        return SQLITE_ERROR;
      }
    }
    for (const std::string& name : own) {
      if (present.contains(name)) continue;
      problem = "its table " + table + " has no column " + name;
      return SQLITE_ERROR;
    }
  }
  return SQLITE_OK;
}

std::filesystem::path setAside(const std::filesystem::path& file, std::string& why) {
  const auto& kinds = file::kDatabaseFiles;
  auto taken = [&](const std::filesystem::path& name) {
    std::error_code ignored;
    return std::any_of(kinds.begin(), kinds.end(), [&](std::string_view kind) {
      return std::filesystem::exists(name.string() + std::string(kind), ignored);
    });
  };
  std::filesystem::path aside;
  for (int n = 1; aside.empty() || taken(aside); ++n) {
    aside = file.parent_path() / (file.stem().string() + std::string(kDamagedInfix) +
                                  std::to_string(n) + file.extension().string());
  }
  // Its write-ahead log goes with it, or it would be read into the new file.
  std::vector<std::string_view> moved;
  for (std::string_view kind : kinds) {
    const std::string from = file.string() + std::string(kind);
    const std::string to = aside.string() + std::string(kind);
    if (::access(from.c_str(), F_OK) != 0) continue;
    if (::rename(from.c_str(), to.c_str()) != 0) {
      why = "can't be set aside as " + aside.string() + ": " + std::strerror(errno);
      for (auto back = moved.rbegin(); back != moved.rend(); ++back) {
        ::rename((aside.string() + std::string(*back)).c_str(),
                 (file.string() + std::string(*back)).c_str());
      }
      return {};
    }
    moved.push_back(kind);
  }
  return aside;
}

std::string removeSetAsideCopies(const std::filesystem::path& file) {
  const std::string prefix = file.stem().string() + std::string(kDamagedInfix);
  const std::string extension = file.extension().string();
  std::vector<std::filesystem::path> copies;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(file.parent_path(), error), end;
       !error && entry != end; entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    if (!name.starts_with(prefix)) continue;
    const size_t digits = name.find_first_not_of("0123456789", prefix.size());
    if (digits == prefix.size() || digits == std::string::npos) continue;
    const std::string_view rest = std::string_view(name).substr(digits);
    if (std::any_of(file::kDatabaseFiles.begin(), file::kDatabaseFiles.end(),
                    [&](std::string_view kind) { return rest == extension + std::string(kind); })) {
      copies.push_back(entry->path());
    }
  }
  std::string kept;
  const auto keep = [&kept](const std::filesystem::path& path, const std::error_code& why) {
    kept += (kept.empty() ? "" : ", ") + path.string() + ": " + why.message();
  };
  if (error) keep(file.parent_path(), error);
  for (const std::filesystem::path& copy : copies) {
    std::error_code failure;
    if (std::filesystem::remove(copy, failure); failure) keep(copy, failure);
  }
  return kept;
}

}  // namespace qb::database
