// The recording as a whole: its export, its counts and its deletion.

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <exception>
#include <numeric>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "base/Error.h"
#include "base/File.h"
#include "base/Json.h"
#include "base/Log.h"
#include "recording/DatabaseCheck.h"
#include "recording/Recorder.h"

namespace qb {

// The field guide written beside every export, built into the program from resources/SCHEMA.md.
extern const std::string_view kRecordingSchemaDocument;

namespace {

// Columns that hold JSON text: exported as the value the text holds.
constexpr std::array<std::string_view, 14> kJsonColumns = {
    "analyzer", "policy", "frame",       "probabilities", "entities", "terms",        "cooldowns",
    "why",      "titles", "followed_by", "work",          "ticks",    "window_share", "page_shape"};

Error exportError(const std::string& what) {
  log::error("Recording: export failed: " + what);
  return Error(Recorder::kErrorDomain, Recorder::kExportFailedCode, what);
}

Error exportError(const std::string& what, sqlite3* db) {
  return exportError(what + ": " + sqlite3_errmsg(db));
}

Error fileError(const std::filesystem::path& path, int error) {
  return exportError("Can't write " + path.string() + ": " + std::strerror(error));
}

// A file that takes the place of `target` only when it is written whole: the bytes go to a
// temporary file beside it, which commit() renames over the target. Until then, and when anything
// fails, the target is left as it was and the temporary file is removed.
class AtomicFile {
public:
  explicit AtomicFile(std::filesystem::path target) : target_(std::move(target)) {
    std::string name = target_.string() + ".XXXXXX";
    // mkstemp makes the file for its user alone (file::kPrivateFile), as an export of what the
    // user did must be; the rename keeps that.
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) throw fileError(target_, errno);
    temporary_ = name;
    buffer_.reserve(Recorder::kExportWriteBytes);
  }
  ~AtomicFile() {
    if (fd_ >= 0) ::close(fd_);  // abandoned: its bytes are thrown away with the file
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
  }
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  void append(std::string_view bytes) {
    buffer_ += bytes;
    if (buffer_.size() >= Recorder::kExportWriteBytes) drain();
  }

  void commit() {
    drain();
    // The data reaches the disk before the name does, so a crash leaves the old file or the new.
    if (::fsync(fd_) != 0) throw fileError(target_, errno);
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) throw fileError(target_, errno);
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) throw fileError(target_, errno);
    temporary_.clear();
  }

private:
  void drain() {
    size_t done = 0;
    while (done < buffer_.size()) {
      const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw fileError(target_, errno);
      done += static_cast<size_t>(n);
    }
    buffer_.clear();
  }

  std::filesystem::path target_;
  std::string temporary_;  // empty once renamed
  int fd_ = -1;
  std::string buffer_;
};

struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// Ends the export's read transaction however the export ends.
class ReadTransaction {
public:
  explicit ReadTransaction(sqlite3* db) : db_(db) {
    if (sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
      throw exportError("Can't read the recording", db_);
    }
  }
  ~ReadTransaction() {
    // Nothing was written, so ending the transaction can lose nothing; a failure is only noted.
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
      log::error(std::string("Recording: ending the export's read failed: ") + sqlite3_errmsg(db_));
    }
  }
  ReadTransaction(const ReadTransaction&) = delete;
  ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
  sqlite3* db_;
};

// Writes every row of `table`, one JSON object a line, reading one row at a time.
void exportTable(sqlite3* db, std::string_view table, AtomicFile& file) {
  const std::string sql = "SELECT * FROM " + std::string(table) + " ORDER BY rowid";
  sqlite3_stmt* raw = nullptr;
  int result = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size() + 1), &raw, nullptr);
  StatementHandle statement(raw);
  if (result != SQLITE_OK || !statement) {
    throw exportError("Can't read the table " + std::string(table), db);
  }

  // Members in sorted order, each with its key written once for the whole table.
  struct Member {
    int column;
    std::string key;  // "name":
    bool json;
  };
  const int columns = sqlite3_column_count(statement.get());
  std::vector<Member> members;
  for (int i = 0; i < columns; ++i) {
    const std::string name = sqlite3_column_name(statement.get(), i);
    members.push_back(
        {i, json::dump(Json(name)) + ":",
         std::find(kJsonColumns.begin(), kJsonColumns.end(), name) != kJsonColumns.end()});
  }
  std::sort(members.begin(), members.end(),
            [](const Member& a, const Member& b) { return a.key < b.key; });

  std::string line;
  while ((result = sqlite3_step(statement.get())) == SQLITE_ROW) {
    line = "{";
    for (const Member& member : members) {
      sqlite3_stmt* row = statement.get();
      std::string value;
      switch (sqlite3_column_type(row, member.column)) {
        case SQLITE_INTEGER: {
          char digits[24];
          auto [end, error] = std::to_chars(digits, digits + sizeof digits,
                                            sqlite3_column_int64(row, member.column));
          value.assign(digits, end);
          break;
        }
        case SQLITE_FLOAT:
          value = json::dump(Json(sqlite3_column_double(row, member.column)));
          break;
        case SQLITE_TEXT: {
          const std::string_view text(
              reinterpret_cast<const char*>(sqlite3_column_text(row, member.column)),
              static_cast<size_t>(sqlite3_column_bytes(row, member.column)));
          if (!member.json) {
            value = json::dump(Json(text));
            break;
          }
          try {
            value = json::dump(json::parse(text));
          } catch (const Error&) {
            continue;  // text that is not JSON: the member is left out
          }
          break;
        }
        default:  // NULL; no column is written as a blob
          value = "null";
      }
      if (line.size() > 1) line += ',';
      line += member.key;
      line += value;
    }
    line += "}\n";
    file.append(line);
  }
  if (result != SQLITE_DONE) throw exportError("Can't read the table " + std::string(table), db);
}

}  // namespace

void Recorder::exportTables(sqlite3* db, const std::filesystem::path& folder) {
  // The folder is the user's choice: one that exists keeps its permissions, one made here is
  // theirs alone, as the files written into it are.
  const std::error_code error = file::createPrivateFolder(folder, file::ExistingFolder::keep);
  if (error)
    throw exportError("Can't create the folder " + folder.string() + ": " + error.message());
  {
    ReadTransaction snapshot(db);
    for (std::string_view table : tables) {
      AtomicFile file(folder / (std::string(table) + ".jsonl"));
      exportTable(db, table, file);
      file.commit();
    }
  }
  AtomicFile schema(folder / "SCHEMA.md");
  schema.append(kRecordingSchemaDocument);
  schema.commit();
}

std::future<void> Recorder::exportTo(std::filesystem::path folder) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> result = done->get_future();
  enqueue([this, done, folder = std::move(folder)] {
    // A write that fails with nothing pending (a file that takes no writes now) leaves nothing
    // unsaved for the export to lack.
    if (!write(clock_.now()) && !pending_.empty()) {
      done->set_exception(std::make_exception_ptr(
          Error(kErrorDomain, kNotSavedCode,
                std::to_string(pending_.size()) +
                    " recorded statements are not saved yet, so the export would lack them: " +
                    failure_)));
      return;
    }
    // A file that takes no writes is read through a connection of its own.
    if (!prepare()) {
      done->set_exception(
          std::make_exception_ptr(exportError("Can't read the recording: " + failure_)));
      return;
    }
    try {
      exportTables(db_.get(), folder);
      done->set_value();
    } catch (...) {
      done->set_exception(std::current_exception());
    }
  });
  return result;
}

void Recorder::exportReadOnly(const std::filesystem::path& file,
                              const std::filesystem::path& folder) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    if (error) throw exportError("Can't read " + file.string() + ": " + error.message());
    throw Error(kErrorDomain, kNoRecordingCode, "No recording at " + file.string());
  }
  // What cannot be opened is told apart from what fails to export, before the folder is made.
  auto refuse = [&file](const std::string& why) {
    log::error("Recording: can't open " + file.string() + " to export it: " + why);
    return Error(kErrorDomain, kOpenFailedCode, "Can't open " + file.string() + ": " + why);
  };
  sqlite3* raw = nullptr;
  const int result = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  std::unique_ptr<sqlite3, CloseDatabase> db(raw);
  if (result != SQLITE_OK || raw == nullptr) {
    throw refuse(raw ? sqlite3_errmsg(raw) : sqlite3_errstr(result));
  }
  if (sqlite3_busy_timeout(raw, kBusyTimeoutMilliseconds) != SQLITE_OK) {
    throw refuse(sqlite3_errmsg(raw));
  }
  // The check is the first read of the file: a file that is no database fails here, and a
  // damaged one is not exported as if its garbage were rows.
  std::string problem;
  switch (database::quickCheck(raw, problem)) {
    case SQLITE_OK:
      break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      throw exportError("Can't read " + file.string() + ": another program holds it (" + problem +
                        ")");
    case SQLITE_CORRUPT:
      throw refuse("it is damaged: " + problem);
    default:
      throw refuse(problem);
  }
  // An empty file, as opening a recording leaves it before its schema is made, is no recording.
  bool schema = false;
  auto found = [](void* flag, int, char**, char**) {
    *static_cast<bool*>(flag) = true;
    return 0;
  };
  if (sqlite3_exec(raw, "SELECT 1 FROM sqlite_master LIMIT 1", found, &schema, nullptr) !=
      SQLITE_OK) {
    throw refuse(sqlite3_errmsg(raw));
  }
  if (!schema) throw Error(kErrorDomain, kNoRecordingCode, "No recording at " + file.string());
  exportTables(raw, folder);
}

std::future<Recorder::Counts> Recorder::counts() {
  auto done = std::make_shared<std::promise<Counts>>();
  std::future<Counts> result = done->get_future();
  enqueue([this, done] {
    // Unsaved statements are kept and retried; the counts are of what the file holds meanwhile.
    write(clock_.now());
    // A file not checked yet (another program holds it) gives no counts; one that takes no writes
    // is read through a connection of its own.
    std::optional<std::vector<Row>> rows;
    if (prepare()) {
      rows = query(
          "SELECT COUNT(*) AS moments, COALESCE(SUM(EXISTS (SELECT 1 FROM labels l WHERE "
          "l.session = m.session AND (l.moment = m.id\n    OR (l.started < COALESCE(m.ended, "
          "m.started) AND l.ended > m.started)))), 0) AS labelled\nFROM moments m WHERE NOT "
          "m.excluded");
    }
    if (!rows) {
      done->set_exception(std::make_exception_ptr(
          Error(kErrorDomain, kCountFailedCode, "Can't count the recorded moments")));
      return;
    }
    Counts counts;
    if (!rows->empty()) {
      auto number = [&](const char* name) -> int64_t {
        const auto found = rows->front().find(name);
        if (found == rows->front().end()) return 0;
        const auto* value = std::get_if<int64_t>(&found->second.storage());
        return value ? *value : 0;
      };
      counts = {number("moments"), number("labelled")};
    }
    done->set_value(counts);
  });
  return result;
}

std::future<void> Recorder::deleteAll() {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> result = done->get_future();
  enqueue([this, done] {
    const bool saved = write(clock_.now());
    auto fail = [&](const std::string& why) {
      if (db_ && !sqlite3_get_autocommit(db_.get())) exec("ROLLBACK", "undoing a failed deletion");
      log::error("Recording: deleting the recording failed: " + why);
      done->set_exception(std::make_exception_ptr(
          Error(kErrorDomain, kDeleteFailedCode, "Can't delete the recording: " + why)));
    };
    if (!writable()) return fail(failure_);
    // One transaction: the recording is emptied whole or not at all.
    if (exec("BEGIN IMMEDIATE", "starting the deletion") != SQLITE_OK) {
      return fail(sqlite3_errmsg(db_.get()));
    }
    for (std::string_view table : tables) {
      const std::string sql = "DELETE FROM " + std::string(table);
      if (exec(sql.c_str(), "deleting a table") != SQLITE_OK)
        return fail(sqlite3_errmsg(db_.get()));
    }
    // Sharing, when on, starts again from the first new row of each table.
    if (exec("UPDATE shared SET last = 0", "resetting the sharing cursors") != SQLITE_OK ||
        exec("COMMIT", "committing the deletion") != SQLITE_OK) {
      return fail(sqlite3_errmsg(db_.get()));
    }
    // Statements kept back from a failed write belong to what was just deleted; written later,
    // they would bring some of it back.
    if (!saved) {
      log::error("Recording: " + std::to_string(pending_.size()) +
                 " statements not saved yet are dropped with the deleted recording");
    }
    pending_.clear();
    setFailing(false);
    // The deleted rows' bytes stay in free pages, and in the log, until the file is rebuilt.
    bool compacted = exec("VACUUM", "compacting the recording") == SQLITE_OK;
    compacted =
        exec("PRAGMA wal_checkpoint(TRUNCATE)", "checkpointing the recording") == SQLITE_OK &&
        compacted;
    open_.reset();
    // A session whose row was still kept back gets its row now, under a new id.
    if (session_) {
      insertSession(session_->provisional ? std::nullopt : std::optional(session_->id));
    }
    if (const std::string kept = database::removeSetAsideCopies(path_); !kept.empty()) {
      log::error("Recording: damaged recordings set aside could not be deleted: " + kept);
      done->set_exception(std::make_exception_ptr(
          Error(kErrorDomain, kDeleteFailedCode,
                "The recording is deleted, but not the damaged copies set aside: " + kept)));
      return;
    }
    if (!compacted) {
      done->set_exception(std::make_exception_ptr(
          Error(kErrorDomain, kDeleteFailedCode,
                "The recording is deleted, but its file could not be compacted: " +
                    std::string(sqlite3_errmsg(db_.get())))));
      return;
    }
    done->set_value();
  });
  return result;
}

}  // namespace qb
