#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <memory>

#include "agents/SessionStores.h"
#include "base/File.h"
#include "base/Log.h"
#include "base/NoDestructor.h"
#include "base/Text.h"

namespace qb::AgentSessions {
namespace {

namespace fs = std::filesystem;

// A session is working while its newest message is the user's (the agent has yet to answer) or
// an answer without a completion time; a session without messages gives NULL, which reads as 0.
// A message whose data is not JSON would make json_extract() fail the whole statement, losing its
// session and every older one: it is passed over, and the newest readable message decides.
const std::string& recentSessionsQuery() {
  // Never destroyed: a refresh abandoned at exit may still be reading.
  static const NoDestructor<std::string> query(
      "SELECT s.directory, s.title, s.time_updated, (\n"
      "    SELECT json_extract(m.data, '$.role') = 'user' OR json_extract(m.data, "
      "'$.time.completed') IS NULL\n"
      "    FROM message m WHERE m.session_id = s.id AND (m.data IS NULL OR json_valid(m.data))\n"
      "    ORDER BY m.time_created DESC LIMIT 1\n"
      ") FROM session s\n"
      "WHERE s.parent_id IS NULL AND s.time_archived IS NULL AND s.time_updated >= ? ORDER BY "
      "s.time_updated DESC LIMIT " +
      std::to_string(kMaxOpencodeRows));
  return *query;
}

// Sessions the tool opens before the user has said anything carry this placeholder title.
constexpr std::string_view kUntitledPrefix = "New session";

constexpr double kMillisecondsPerSecond = 1000;

struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

void trace(sqlite3* db, const fs::path& file, const std::string& what) {
  log::write(log::Level::debug, "Agent sessions: " + what + " " + file.string() + ": " +
                                    (db != nullptr ? sqlite3_errmsg(db) : "out of memory"));
}

void refused(const fs::path& file, const std::string& why) {
  log::write(log::Level::debug, "Agent sessions: cannot open " + file.string() + ": " + why);
}

enum class Entry { missing, regular, other };

// What the path names, links followed, by stat(2), which opens nothing and so never waits.
Entry entryAt(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    return S_ISREG(info.st_mode) ? Entry::regular : Entry::other;
  }
  return errno == ENOENT || errno == ENOTDIR ? Entry::missing : Entry::other;
}

// The path to hand SQLite, when the database and every companion it has are regular files.
//
// SQLite opens them with a blocking open(2): a FIFO opened for reading waits for a writer for
// ever, and so may a device. One at any of these paths would hold the agent watch, and quitting.
// SQLite names the companions after the database's real path, links resolved, so they are looked
// for there, and SQLite is given that same path. A file swapped for a FIFO in the instant between
// this look and SQLite's open could still hold the read; SQLite has no way to open a path without
// waiting, and only a program that can already write the tool's folder could make that swap.
std::optional<fs::path> regularDatabase(const fs::path& file) {
  std::error_code error;
  fs::path real = fs::canonical(file, error);
  // No database is the usual case, a tool that is not installed: not worth a line.
  if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
    return std::nullopt;
  }
  if (error) {
    refused(file, error.message());
    return std::nullopt;
  }
  if (entryAt(real.native()) != Entry::regular) {
    refused(file, real.string() + " is not a regular file");
    return std::nullopt;
  }
  for (std::string_view suffix : file::kDatabaseCompanions) {
    const std::string companion = real.native() + std::string(suffix);
    if (entryAt(companion) == Entry::other) {
      refused(file, companion + " is not a regular file");
      return std::nullopt;
    }
  }
  return real;
}

std::optional<std::string> columnText(sqlite3_stmt* statement, int column) {
  if (sqlite3_column_type(statement, column) == SQLITE_NULL) return std::nullopt;
  const auto* bytes = sqlite3_column_text(statement, column);
  if (bytes == nullptr) return std::nullopt;  // out of memory while converting
  return text::repairUtf8(
      std::string_view(reinterpret_cast<const char*>(bytes),
                       static_cast<size_t>(sqlite3_column_bytes(statement, column))));
}

// `since` as the database writes times, whole milliseconds since 1970 cut toward zero; absent for
// a time no 64-bit count can hold.
std::optional<int64_t> unixMilliseconds(Date date) {
  const double milliseconds = std::trunc(date.unixTime() * kMillisecondsPerSecond);
  // 2^63 is exactly representable; every double below it converts without overflow.
  constexpr double kLimit = 9223372036854775808.0;
  if (!(milliseconds >= -kLimit && milliseconds < kLimit)) return std::nullopt;
  return static_cast<int64_t>(milliseconds);
}

}  // namespace

std::vector<AgentSession> opencode(const fs::path& home, Date since, Date now) {
  const fs::path file = home / ".local" / "share" / "opencode" / "opencode.db";
  const std::optional<fs::path> database = regularDatabase(file);
  if (!database) return {};
  const std::optional<int64_t> from = unixMilliseconds(since);
  if (!from) return {};

  sqlite3* opened = nullptr;
  const int openResult = sqlite3_open_v2(database->c_str(), &opened, SQLITE_OPEN_READONLY, nullptr);
  std::unique_ptr<sqlite3, CloseDatabase> db(opened);
  if (openResult != SQLITE_OK) {
    trace(opened, file, "cannot open");
    return {};
  }
  sqlite3_stmt* prepared = nullptr;
  const std::string& query = recentSessionsQuery();
  if (sqlite3_prepare_v2(db.get(), query.c_str(), static_cast<int>(query.size()) + 1, &prepared,
                         nullptr) != SQLITE_OK) {
    trace(db.get(), file, "cannot query");
    return {};
  }
  std::unique_ptr<sqlite3_stmt, FinalizeStatement> statement(prepared);
  if (sqlite3_bind_int64(statement.get(), 1, *from) != SQLITE_OK) {
    trace(db.get(), file, "cannot query");
    return {};
  }

  std::vector<AgentSession> sessions;
  int result;
  while ((result = sqlite3_step(statement.get())) == SQLITE_ROW) {
    std::optional<std::string> folder = columnText(statement.get(), 0);
    if (!folder) continue;
    std::optional<std::string> title = columnText(statement.get(), 1);
    if (!title || title->starts_with(kUntitledPrefix)) continue;
    const Date updated =
        Date::fromUnix(sqlite3_column_double(statement.get(), 2) / kMillisecondsPerSecond);
    // A time that is not finite cannot be ordered among the others.
    if (!updated.isFinite()) continue;
    const bool busy =
        sqlite3_column_int64(statement.get(), 3) == 1 && now.since(updated) < kBusyWindow;
    sessions.emplace_back("opencode", std::move(*folder), std::move(*title), updated, busy);
  }
  // The tool may hold a lock or be mid-write: what was read so far stands.
  if (result != SQLITE_DONE) trace(db.get(), file, "stopped reading");
  return sessions;
}

}  // namespace qb::AgentSessions
